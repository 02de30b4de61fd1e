// Hostile pictures in help topics: a FIFO or a device never blocks the
// program or fills its memory, and only regular files of a bounded size are
// ever shown.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QImage>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include "quiz/frmMain.h"
#include "shell/HelpBrowser.h"
#include "shell/HelpWindow.h"
#include "shell/platform/DesktopHelpViewer.h"
#include "tests/NoWait.h"
#include "tests/WindowSupport.h"

namespace qd::test {
namespace {

namespace fs = std::filesystem;

// The address space the process uses now, in bytes.
std::size_t AddressSpaceInUse()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmSize:", 0) == 0)
            return std::stoul(line.substr(7)) * 1024;
    }
    return 0;
}

QByteArray Png(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class HelpImageTest : public WindowTest {
protected:
    void writeBytes(const std::string& name, const QByteArray& bytes) const
    {
        writeFile(name, std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    QString folderName() const { return QString::fromStdString(folder().string()); }
};

TEST_F(HelpImageTest, OnlyRegularFilesWithinTheLimitsAreShown)
{
    writeBytes("small.png", Png(16, 8));
    writeBytes("wide.png", Png(kLargestHelpImageSide + 1, 1));
    writeFile("huge.png", "");
    fs::resize_file(folder() / "huge.png", kLargestHelpImage + 1);
    writeFile("broken.png", "not a picture");
    fs::create_directory(folder() / "folder.png");
    ASSERT_EQ(::mkfifo((folder() / "fifo.png").c_str(), 0600), 0);

    EXPECT_EQ(LoadHelpImage(QUrl(QStringLiteral("small.png")), folderName()).size(), QSize(16, 8));
    const QUrl absolute = QUrl::fromLocalFile(QString::fromStdString((folder() / "small.png").string()));
    EXPECT_EQ(LoadHelpImage(absolute, {}).size(), QSize(16, 8));
    EXPECT_FALSE(LoadHelpImage(QUrl(QStringLiteral("qrc:/quizdeck/quizdeck16.png")), {}).isNull());
    for (const char* refused : {"wide.png", "huge.png", "broken.png", "folder.png", "missing.png", "/dev/zero",
                                "/dev/urandom", "https://example.org/a.png"})
        EXPECT_TRUE(LoadHelpImage(QUrl(QString::fromUtf8(refused)), folderName()).isNull()) << refused;
    ExpectNoWaitOn(folder() / "fifo.png",
                   [&] { EXPECT_TRUE(LoadHelpImage(QUrl(QStringLiteral("fifo.png")), folderName()).isNull()); });
}

// The whole help window, in a child process: it shows a topic whose pictures
// are a FIFO and devices, under an address-space limit, and must end on its
// own within the alarm's time, neither blocked nor out of memory.
TEST_F(HelpImageTest, ATopicWithAFifoAndDevicesAsPicturesOpensAtOnce)
{
    ASSERT_EQ(::mkfifo((folder() / "fifo.png").c_str(), 0600), 0);
    writeBytes("small.png", Png(16, 8));
    writeFile("quizdeck.hlp",
              "@topic 10 Pictures\n![a FIFO](fifo.png) ![zero](/dev/zero) "
              "![random](file:///dev/urandom) ![ok](small.png)\n\nAfter the pictures.\n");
    auto viewer = std::make_unique<DesktopHelpViewer>();
    DesktopHelpViewer* desktop = viewer.get();
    TheProgram().setHelpViewer(std::move(viewer));

    const auto showTopic = [&] {
        ::alarm(30);
        if (!UnderAddressSanitizer()) {
            const rlimit limit {AddressSpaceInUse() + std::size_t {512} * 1024 * 1024, RLIM_INFINITY};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        desktop->WinHelp(QString::fromStdString((folder() / "quizdeck.hlp").string()), HelpCommand::Context, 10);
        HelpWindow* window = desktop->window();
        window->browser()->document()->documentLayout()->documentSize();
        window->grab();
        ProcessPendingEvents();
        const bool shown = window->browser()->toPlainText().contains("After the pictures.");
        const QVariant ok =
            window->browser()->document()->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("small.png")));
        window->close();
        std::_Exit(shown && qvariant_cast<QImage>(ok).width() == 16 ? 0 : 3);
    };
    EXPECT_EXIT(showTopic(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace qd::test
