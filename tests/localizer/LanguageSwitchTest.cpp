#include <gtest/gtest.h>

#include <QFile>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "localizer/LangConst.h"
#include "localizer/LangConstsResource.h"
#include "localizer/LanguageManager.h"
#include "tests/localizer/LangTestFiles.h"

namespace {

using namespace std::chrono_literals;

const QByteArray kRussian = "LANGID=1049\n[$CONSTANTS]\nCantOpenStr=Russian can't open\n[frmMain]\n1=Russian caption\n";

// A registered language file swapped for a pipe: a switch to it blocks in its
// read until the test writes the text, which stands for a slow disk.
class TPipedLanguageFile {
public:
    explicit TPipedLanguageFile(TLanguageManager& manager, const TempDir& dir)
    {
        m_path = WriteLangFile(dir, "ru", kRussian);
        EXPECT_TRUE(manager.AddLangFile(m_path));
        const QByteArray name = QFile::encodeName(m_path);
        EXPECT_EQ(::unlink(name.constData()), 0);
        EXPECT_EQ(::mkfifo(name.constData(), 0600), 0);
    }
    ~TPipedLanguageFile() { Release(); }

    // Returns once the switching thread has opened the pipe and reads it.
    void WaitForReader()
    {
        m_writer = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(m_writer, 0);
    }
    void Release()
    {
        if (m_writer < 0)
            return;
        EXPECT_EQ(::write(m_writer, kRussian.constData(), kRussian.size()), kRussian.size());
        ::close(m_writer);
        m_writer = -1;
    }

private:
    QString m_path;
    int m_writer = -1;
};

class LanguageSwitchTest : public ::testing::Test {
protected:
    void SetUp() override { ResetLangManager(); }
    void TearDown() override { ResetLangManager(); }
    TempDir Dir;
};

TEST_F(LanguageSwitchTest, LookupsGoOnWhileASwitchReadsTheFile)
{
    TLanguageManager& manager = LangManager();
    TPipedLanguageFile file(manager, Dir);
    std::thread switcher([&] { manager.SetActiveLangID(1049); });
    file.WaitForReader();

    // Another thread's look-ups while the switch waits on its file.
    auto lookups = std::async(std::launch::async, [&] {
        return std::pair(LangConst(QStringLiteral("CantOpenStr")), manager.GetActiveLangID());
    });
    const bool answered = lookups.wait_for(10s) == std::future_status::ready;
    file.Release();
    switcher.join();
    ASSERT_TRUE(answered) << "a look-up waited for the language file";
    EXPECT_EQ(lookups.get(), std::pair(QStringLiteral("Can't open"), quint16{1033}));
    EXPECT_EQ(LangConst(QStringLiteral("CantOpenStr")), QStringLiteral("Russian can't open"));
    EXPECT_EQ(manager.GetActiveLangID(), 1049);
}

// A controller whose translation waits for another thread to register a form,
// which takes the manager's write lock.
class TRegisteringController : public TLangController {
public:
    explicit TRegisteringController(TLanguageManager& manager) : m_manager(manager) {}
    QString SectionName() const override { return QStringLiteral("frmMain"); }
    void ApplySection(const TLangCompTranslation* section, int) override
    {
        Caption = section && section->FindID(1) ? section->FindID(1)->Value : QStringLiteral("built-in");
        std::packaged_task<void()> task([this] { m_manager.RegisterController(&m_other); });
        std::future<void> registered = task.get_future();
        m_threads.emplace_back(std::move(task));
        Registered = registered.wait_for(10s) == std::future_status::ready;
    }
    // After the switch: a thread that waited for a lock ends once it is free.
    void Join()
    {
        for (std::thread& thread : m_threads)
            thread.join();
        m_threads.clear();
    }
    ~TRegisteringController() override { Join(); }

    QString Caption;
    bool Registered = false;

private:
    class TOther : public TLangController {
        QString SectionName() const override { return QStringLiteral("frmOther"); }
        void ApplySection(const TLangCompTranslation*, int) override {}
    };
    TLanguageManager& m_manager;
    TOther m_other;
    std::vector<std::thread> m_threads;
};

TEST_F(LanguageSwitchTest, ControllersRunWithNoLockHeld)
{
    TLanguageManager& manager = LangManager();
    WriteLangFile(Dir, "ru", kRussian);
    manager.ScanLangFolder(QString::fromStdString(Dir.Path().string()), QStringLiteral("Trellavox_*.lng"), false);
    TRegisteringController controller(manager);
    manager.RegisterController(&controller);

    manager.SetActiveLangID(1049);
    controller.Join();
    EXPECT_TRUE(controller.Registered);
    EXPECT_EQ(controller.Caption, QStringLiteral("Russian caption"));

    // A form loaded after the switch reads the file with no lock held too.
    controller.Registered = false;
    manager.TranslateLoadedController(controller);
    controller.Join();
    EXPECT_TRUE(controller.Registered);
    EXPECT_EQ(controller.Caption, QStringLiteral("Russian caption"));
    manager.UnregisterController(&controller);
}

}  // namespace
