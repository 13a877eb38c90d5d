#include "files/TemporaryName.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <limits>
#include <random>
#include <string>

namespace fk::files {

namespace {

constexpr std::string_view kMark = ".fk-";
constexpr std::string_view kEnding = ".part";
constexpr std::size_t kHexDigits = 8;
constexpr std::size_t kLongestPid = std::numeric_limits<pid_t>::digits10 + 1;
static_assert(TemporaryName::kLongestAddition ==
              1 + kMark.size() + kHexDigits + 1 + kLongestPid + 1 + kHexDigits + kEnding.size());

std::string hex(std::uint32_t value) {
    std::string text(kHexDigits, '0');
    for (std::size_t digit = kHexDigits; digit-- > 0; value >>= 4)
        text[digit] = "0123456789abcdef"[value & 0xF];
    return text;
}

// Exactly eight lower-case hex digits, as names are written.
std::optional<std::uint32_t> parseHex(std::string_view text) {
    if (text.size() != kHexDigits) return std::nullopt;
    std::uint32_t value = 0;
    for (const char digit : text) {
        if (digit >= '0' && digit <= '9')
            value = value << 4 | static_cast<std::uint32_t>(digit - '0');
        else if (digit >= 'a' && digit <= 'f')
            value = value << 4 | static_cast<std::uint32_t>(digit - 'a' + 10);
        else
            return std::nullopt;
    }
    return value;
}

std::optional<pid_t> parsePid(std::string_view text) {
    if (text.empty() || text.size() > kLongestPid || text.front() == '0') return std::nullopt;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
    if (error != std::errc() || end != text.data() + text.size() || pid <= 0) return std::nullopt;
    return pid;
}

// Splits "REST-LAST" at its last hyphen.
std::optional<std::pair<std::string_view, std::string_view>> splitLast(std::string_view text) {
    const std::size_t hyphen = text.rfind('-');
    if (hyphen == std::string_view::npos) return std::nullopt;
    return std::pair{text.substr(0, hyphen), text.substr(hyphen + 1)};
}

std::uint32_t fnv1a(std::string_view text) {
    std::uint32_t hash = 2166136261u;  // 32-bit FNV-1a
    for (const char byte : text) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 16777619u;
    }
    return hash;
}

std::uint32_t randomNumber() {
    // Seeded once per thread: a random device for every page costs more than the page's name is worth.
    thread_local std::mt19937 random{std::random_device{}()};
    return static_cast<std::uint32_t>(random());
}

}  // namespace

TemporaryOwner TemporaryOwner::thisProcess() {
    static const std::uint32_t host = [] {
        char name[HOST_NAME_MAX + 1] = {};
        ::gethostname(name, sizeof name - 1);
        // Containers can share a host name and a folder but not their process ids: the process-id
        // namespace is part of the host, so that one never takes another's live process for gone.
        char space[64] = {};
        const ssize_t length = ::readlink("/proc/self/ns/pid", space, sizeof space - 1);
        return fnv1a(std::string(name) +
                     (length > 0 ? std::string(space, static_cast<std::size_t>(length)) : ""));
    }();
    return {host, ::getpid()};
}

bool TemporaryOwner::goneFromThisHost() const {
    // A process of another user answers EPERM: it runs, and its files stay.
    return host == thisProcess().host && ::kill(pid, 0) == -1 && errno == ESRCH;
}

std::string TemporaryName::of(std::string_view targetName, const TemporaryOwner& owner,
                              std::uint32_t random) {
    std::string name = ".";
    name += targetName;
    name += kMark;
    name += hex(owner.host) + "-" + std::to_string(owner.pid) + "-" + hex(random);
    name += kEnding;
    return name;
}

std::filesystem::path TemporaryName::beside(const std::filesystem::path& target) {
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    return folder / of(target.filename().string(), TemporaryOwner::thisProcess(), randomNumber());
}

std::optional<TemporaryOwner> TemporaryName::ownerOf(std::string_view name) {
    if (!name.starts_with('.') || !name.ends_with(kEnding)) return std::nullopt;
    name.remove_suffix(kEnding.size());
    const auto withRandom = splitLast(name);
    if (!withRandom || !parseHex(withRandom->second)) return std::nullopt;
    const auto withPid = splitLast(withRandom->first);
    if (!withPid) return std::nullopt;
    const std::optional<pid_t> pid = parsePid(withPid->second);
    const std::string_view rest = withPid->first;
    // ".NAME.fk-HOST": a target's name of at least one byte before the mark.
    if (!pid || rest.size() < 1 + 1 + kMark.size() + kHexDigits) return std::nullopt;
    if (rest.substr(rest.size() - kHexDigits - kMark.size(), kMark.size()) != kMark) return std::nullopt;
    const std::optional<std::uint32_t> host = parseHex(rest.substr(rest.size() - kHexDigits));
    if (!host) return std::nullopt;
    return TemporaryOwner{*host, *pid};
}

std::vector<std::filesystem::path> LeftoverTemporaries(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::optional<TemporaryOwner> owner = TemporaryName::ownerOf(entry->path().filename().string());
        if (!owner || !owner->goneFromThisHost()) continue;
        struct stat info {};
        if (::lstat(entry->path().c_str(), &info) != 0 || info.st_uid != ::geteuid() ||
            !(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)))
            continue;
        found.push_back(entry->path());
    }
    return found;
}

}  // namespace fk::files
