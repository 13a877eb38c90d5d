#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fk::files {

// Who made a temporary: a hash of its host's name (with its process-id namespace) and the id of the
// process there.
struct TemporaryOwner {
    std::uint32_t host = 0;
    pid_t pid = 0;

    static TemporaryOwner thisProcess();
    // Made on this host by a process that no longer runs: nobody will finish or remove it.
    bool goneFromThisHost() const;

    bool operator==(const TemporaryOwner&) const = default;
};

// The one naming scheme for the files and folders that stand in for another name while they are
// made: ".NAME.fk-HOST-PID-RANDOM.part" beside NAME, where HOST is the owner's host hash and RANDOM a
// random number, both as 8 hex digits. Hidden, and telling a later run on the same host whether it
// may remove a leftover: a name that only looks alike (a user's own "lunch-menu.tmp", a temporary of
// another host's run in a shared folder) is never taken for one of ours.
class TemporaryName {
public:
    // The most bytes a temporary's name adds to the name it stands in for: the dots, "fk-", the
    // owner, the random number and ".part".
    static constexpr std::size_t kLongestAddition = 2 + 3 + 8 + 1 + 10 + 1 + 8 + 5;

    // A new name beside `target`, of this process.
    static std::filesystem::path beside(const std::filesystem::path& target);
    static std::string of(std::string_view targetName, const TemporaryOwner& owner, std::uint32_t random);
    // Whose temporary the file name is; empty when it is not one of ours.
    static std::optional<TemporaryOwner> ownerOf(std::string_view fileName);
};

// The entries of `folder` that are temporaries of ours left by a process that is gone from this host:
// files and folders of this user, never links, and nothing whose name only resembles ours.
std::vector<std::filesystem::path> LeftoverTemporaries(const std::filesystem::path& folder);

}  // namespace fk::files
