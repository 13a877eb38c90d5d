#include <gtest/gtest.h>

#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <future>

#include "app/FileHandover.h"

using namespace fk;

namespace {

// A later start, on a thread of its own: it waits for the window's answer while the window's thread
// (the test's) serves it.
HandoverResult HandOverFromAnotherStart(const QString& serverName, const QStringList& files) {
    std::future<HandoverResult> result =
        std::async(std::launch::async, [&] { return HandFilesToRunningWindow(serverName, files, 5000); });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000));
    return result.get();
}

class FileHandover : public ::testing::Test {
protected:
    QString serverName() const { return folder_.filePath(QStringLiteral("window")); }

    QTemporaryDir folder_;
    QList<QStringList> taken_;
};

}  // namespace

TEST(HandoverMessage, CarriesAbsolutePrintableNamesAndNothingElse) {
    const QStringList names{"/home/u/a.odt", "/home/u/Résumé 2.docx", "/x/with,comma;semi.rtf"};
    const QByteArray message = EncodeHandover(names);
    EXPECT_EQ(qFromBigEndian<quint32>(message.constData()), quint32(message.size() - 4));
    EXPECT_EQ(DecodeHandover(message.mid(4)), names);
    EXPECT_EQ(DecodeHandover({}), QStringList{});

    const struct {
        const char* why;
        QByteArray body;
    } refused[] = {
        {"relative name", QByteArray("a.odt\0", 6)},
        {"empty name", QByteArray("/a.odt\0\0", 8)},
        {"control character", QByteArray("/a\nb.odt\0", 9)},
        {"not UTF-8", QByteArray("/a\xff.odt\0", 8)},
        {"unterminated", QByteArray("/a.odt")},
        {"too long", "/" + QByteArray(kMaxHandoverNameLength, 'a') + '\0'},
    };
    for (const auto& c : refused) EXPECT_FALSE(DecodeHandover(c.body).has_value()) << c.why;
}

TEST_F(FileHandover, ALaterStartHandsItsFilesToTheWindow) {
    FileHandoverServer server(serverName(), [this](const QStringList& files) { taken_ << files; });
    ASSERT_TRUE(server.listen());
    const QStringList first{"/docs/one.odt", "/docs/two.docx"};
    EXPECT_EQ(HandOverFromAnotherStart(serverName(), first), HandoverResult::Taken);
    EXPECT_EQ(HandOverFromAnotherStart(serverName(), {"/docs/three.rtf"}), HandoverResult::Taken);
    EXPECT_EQ(taken_, (QList<QStringList>{first, {"/docs/three.rtf"}}));

    FileHandoverServer second(serverName(), [](const QStringList&) {});
    EXPECT_FALSE(second.listen()) << "a second window must not take the first one's socket";
    EXPECT_EQ(HandOverFromAnotherStart(serverName(), {"relative.odt"}), HandoverResult::Refused);
    EXPECT_EQ(taken_.size(), 2);
}

TEST_F(FileHandover, WithoutAWindowTheStartOpensItsOwn) {
    EXPECT_EQ(HandFilesToRunningWindow(serverName(), {"/a.odt"}, 1000), HandoverResult::NoWindow);
    // What a window that did not close leaves: a name nobody answers on.
    QFile left(serverName());
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.close();
    EXPECT_EQ(HandFilesToRunningWindow(serverName(), {"/a.odt"}, 1000), HandoverResult::NoWindow);
    FileHandoverServer server(serverName(), [this](const QStringList& files) { taken_ << files; });
    ASSERT_TRUE(server.listen());
    EXPECT_EQ(HandOverFromAnotherStart(serverName(), {"/a.odt"}), HandoverResult::Taken);
}

TEST_F(FileHandover, AnOversizedMessageIsRefusedUnread) {
    FileHandoverServer server(serverName(), [this](const QStringList& files) { taken_ << files; });
    ASSERT_TRUE(server.listen());
    QLocalSocket socket;
    socket.connectToServer(serverName());
    ASSERT_TRUE(socket.waitForConnected(1000));
    QByteArray header(4, '\0');
    qToBigEndian(quint32(kMaxHandoverBytes + 1), header.data());
    socket.write(header);
    ASSERT_TRUE(QTest::qWaitFor([&] { return socket.bytesAvailable() > 0; }, 5000));
    EXPECT_EQ(socket.readAll(), QByteArray("n"));
    EXPECT_TRUE(taken_.isEmpty());
}
