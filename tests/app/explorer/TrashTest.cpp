#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "app/explorer/Trash.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

QString Q(const std::string& path)
{
    return QString::fromStdString(path);
}

QString Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<missing>");
}

// An environment variable set for a scope, and put back after it.
class EnvScope {
public:
    EnvScope(const char* name, const std::optional<QByteArray>& value) : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_old = qgetenv(name);
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~EnvScope()
    {
        if (m_old)
            qputenv(m_name, *m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<QByteArray> m_old;
};

class TrashTest : public ::testing::Test {
protected:
    void MakeFile(const std::string& path, const char* text = "x") { std::ofstream(path) << text; }
    std::string Path(const std::string& name) const { return dir.File(name); }
    bool IsPrivateFolder(const std::string& path) const
    {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & 0777) == 0700;
    }

    TempDir dir;
};

}  // namespace

// A home without ~/.local/share: the trash is made there, never in the
// current folder, and the item goes in with its info file.
TEST_F(TrashTest, AHomeWithoutItsDataFolderGetsItsTrashThere)
{
    fs::create_directories(Path("home"));
    fs::create_directories(Path("current"));
    MakeFile(Path("call.wav"));
    const EnvScope home("HOME", QFile::encodeName(Q(Path("home"))));
    const EnvScope data("XDG_DATA_HOME", std::nullopt);
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Q(Path("current"))));

    const TTrash trash;
    const TTrashFolder folder = trash.FolderFor(Q(Path("call.wav")));
    const QString moved = trash.Move(Q(Path("call.wav")), folder);
    QDir::setCurrent(previous);

    const std::string expected = Path("home/.local/share/Trash");
    EXPECT_EQ(folder.Folder, Q(expected));
    EXPECT_TRUE(folder.RelativeTo.isEmpty());
    EXPECT_EQ(moved, Q(expected + "/files/call.wav"));
    EXPECT_TRUE(fs::exists(expected + "/files/call.wav"));
    EXPECT_FALSE(fs::exists(Path("call.wav")));
    EXPECT_TRUE(fs::is_empty(Path("current")));
    for (const char* made : {"home/.local", "home/.local/share", "home/.local/share/Trash"})
        EXPECT_TRUE(IsPrivateFolder(Path(made))) << made;

    const QString info = Read(Q(expected + "/info/call.wav.trashinfo"));
    const QRegularExpression form(QStringLiteral("^\\[Trash Info\\]\nPath=(.*)\nDeletionDate=(.*)\n$"));
    const QRegularExpressionMatch match = form.match(info);
    ASSERT_TRUE(match.hasMatch()) << info.toStdString();
    EXPECT_EQ(match.captured(1), Q(Path("call.wav")));
    const QDateTime deleted = QDateTime::fromString(match.captured(2), QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    ASSERT_TRUE(deleted.isValid()) << match.captured(2).toStdString();
    EXPECT_LE(qAbs(deleted.secsTo(QDateTime::currentDateTime())), 60);
}

// Only an absolute $XDG_DATA_HOME counts.
TEST_F(TrashTest, ARelativeDataHomeIsIgnored)
{
    fs::create_directories(Path("home"));
    const EnvScope home("HOME", QFile::encodeName(Q(Path("home"))));
    const EnvScope relative("XDG_DATA_HOME", QByteArray("data"));
    EXPECT_EQ(TTrash().HomeTrashPath(), Q(Path("home/.local/share/Trash")));
    const EnvScope absolute("XDG_DATA_HOME", QFile::encodeName(Q(Path("data"))));
    EXPECT_EQ(TTrash().HomeTrashPath(), Q(Path("data/Trash")));
}

// Names already in the trash (with their info file, or left without one)
// are never replaced; the path is written escaped as in a URL.
TEST_F(TrashTest, NamesInTheTrashAreKeptAndThePathIsEscaped)
{
    const TTrash trash(Q(Path("data")), ::getuid());
    fs::create_directories(Path("one"));
    fs::create_directories(Path("two"));
    MakeFile(Path("one/a b%ü.wav"), "first");
    MakeFile(Path("two/a b%ü.wav"), "second");
    const TTrashFolder folder = trash.FolderFor(Q(Path("one/a b%ü.wav")));
    // An earlier program's file without its info file.
    MakeFile(Path("data/Trash/files/a b%ü.wav"), "orphan");

    EXPECT_EQ(trash.Move(Q(Path("one/a b%ü.wav")), folder), Q(Path("data/Trash/files/a b%ü.wav.2")));
    EXPECT_EQ(trash.Move(Q(Path("two/a b%ü.wav")), folder), Q(Path("data/Trash/files/a b%ü.wav.3")));
    std::string text;
    std::getline(std::ifstream(Path("data/Trash/files/a b%ü.wav")), text);
    EXPECT_EQ(text, "orphan");
    std::getline(std::ifstream(Path("data/Trash/files/a b%ü.wav.3")), text);
    EXPECT_EQ(text, "second");
    const QString info = Read(Q(Path("data/Trash/info/a b%ü.wav.2.trashinfo")));
    const QString escaped = QString::fromLatin1(QFile::encodeName(Q(Path("one/a b%ü.wav"))).toPercentEncoding("/"));
    EXPECT_TRUE(info.contains(QStringLiteral("\nPath=") + escaped + QLatin1Char('\n'))) << info.toStdString();
    EXPECT_TRUE(escaped.contains(QStringLiteral("a%20b%25%C3%BC.wav"))) << escaped.toStdString();
}

// A move that fails leaves the item where it was and no info file behind.
TEST_F(TrashTest, AFailedMoveLeavesNoInfoFile)
{
    const TTrash trash(Q(Path("data")), ::getuid());
    MakeFile(Path("gone.wav"));
    const TTrashFolder folder = trash.FolderFor(Q(Path("gone.wav")));
    fs::remove(Path("gone.wav"));
    try {
        trash.Move(Q(Path("gone.wav")), folder);
        FAIL() << "moved a file that is not there";
    } catch (const ETrashError& error) {
        EXPECT_TRUE(QString::fromStdString(error.what()).startsWith(QStringLiteral("Can't move to the trash: ")));
        EXPECT_TRUE(QString::fromStdString(error.what()).contains(Q(Path("gone.wav"))));
    }
    EXPECT_TRUE(fs::is_empty(Path("data/Trash/info")));

    // A folder that holds the trash cannot go into it: its info file goes
    // again once the move failed.
    EXPECT_THROW(trash.Move(Q(Path("data")), folder), ETrashError);
    EXPECT_TRUE(fs::is_empty(Path("data/Trash/info")));
    EXPECT_TRUE(fs::is_empty(Path("data/Trash/files")));
}

// No trash can be made: the item's name and the reason, nothing made.
TEST_F(TrashTest, WhereNoTrashCanBeMadeTheErrorSaysSoAndNothingIsMade)
{
    MakeFile(Path("not-a-folder"));
    MakeFile(Path("call.wav"));
    const TTrash trash(Q(Path("not-a-folder/share")), ::getuid());
    try {
        trash.FolderFor(Q(Path("call.wav")));
        FAIL() << "a trash under a file";
    } catch (const ETrashError& error) {
        const QString text = QString::fromStdString(error.what());
        EXPECT_TRUE(text.startsWith(QStringLiteral("Nothing was moved: no trash folder can be made for ") +
                                    Q(Path("call.wav")) + QLatin1Char('\n')))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Not a directory"))) << text.toStdString();
    }
    EXPECT_TRUE(fs::exists(Path("call.wav")));
    EXPECT_TRUE(fs::is_regular_file(Path("not-a-folder")));
}

// The top-folder trash of another file system: the administrator's shared
// one only when it is a real folder with the sticky bit, else the user's
// own; a link or another user's folder is never taken.
TEST_F(TrashTest, TheTopFolderTrashIsTakenOnlyWhereItIsSafe)
{
    const uid_t uid = ::getuid();
    const std::string own = "/.Trash-" + std::to_string(uid);
    const std::string shared = "/.Trash/" + std::to_string(uid);
    struct Case {
        const char* name;
        void (*prepare)(const std::string& top);
        const char* folder;  // the trash chosen below top; null: none
    };
    const Case cases[] = {
        {"nothing there", [](const std::string&) {}, ""},
        {"a shared trash with the sticky bit",
         [](const std::string& top) {
             fs::create_directory(top + "/.Trash");
             ::chmod((top + "/.Trash").c_str(), 01777);
         },
         "shared"},
        {"a shared trash without the sticky bit",
         [](const std::string& top) {
             fs::create_directory(top + "/.Trash");
             ::chmod((top + "/.Trash").c_str(), 0777);
         },
         ""},
        {"a shared trash that is a link",
         [](const std::string& top) {
             fs::create_directory(top + "/elsewhere");
             ::chmod((top + "/elsewhere").c_str(), 01777);
             fs::create_directory_symlink(top + "/elsewhere", top + "/.Trash");
         },
         ""},
        {"the user's trash a link",
         [](const std::string& top) {
             fs::create_directory(top + "/elsewhere");
             fs::create_directory_symlink(top + "/elsewhere", top + "/.Trash-" + std::to_string(::getuid()));
         },
         nullptr},
        {"the user's trash another's",
         [](const std::string& top) {
             const std::string folder = top + "/.Trash-" + std::to_string(::getuid());
             fs::create_directory(folder);
             if (::chown(folder.c_str(), ::getuid() + 1, static_cast<gid_t>(-1)) != 0)
                 ::chmod(folder.c_str(), 0);
         },
         nullptr},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::create_directories(Path("top" + std::to_string(n)) + "/sub");
        const std::string top = fs::canonical(Path("top" + std::to_string(n++))).string();
        MakeFile(top + "/sub/call.wav");
        c.prepare(top);
        const TTrash trash(Q(Path("data")), uid);
        if (!c.folder) {
            EXPECT_THROW(trash.TopFolderTrash(Q(top)), ETrashError);
            EXPECT_FALSE(fs::exists(top + "/elsewhere/files"));
            continue;
        }
        const std::string expected = top + (std::string(c.folder) == "shared" ? shared : own);
        const TTrashFolder folder = trash.TopFolderTrash(Q(top));
        EXPECT_EQ(folder.Folder, Q(expected));
        EXPECT_EQ(folder.RelativeTo, Q(top));
        EXPECT_TRUE(IsPrivateFolder(expected));
        EXPECT_TRUE(IsPrivateFolder(expected + "/files"));
        EXPECT_TRUE(IsPrivateFolder(expected + "/info"));
        // Paths relative to the top folder.
        EXPECT_EQ(trash.Move(Q(top + "/sub/call.wav"), folder), Q(expected + "/files/call.wav"));
        EXPECT_TRUE(Read(Q(expected + "/info/call.wav.trashinfo")).contains(QStringLiteral("\nPath=sub/call.wav\n")));
    }

    // An item named through a link on the way: its path is the one below
    // the top folder all the same.
    const std::string top = fs::canonical(Path("top0")).string();
    fs::create_directory_symlink(top, Path("link"));
    MakeFile(top + "/sub/again.wav");
    const TTrash trash(Q(Path("data")), uid);
    const TTrashFolder folder = trash.TopFolderTrash(Q(Path("link")));
    EXPECT_EQ(folder.Folder, Q(top + own));
    trash.Move(Q(Path("link/sub/again.wav")), folder);
    EXPECT_TRUE(Read(Q(top + own + "/info/again.wav.trashinfo")).contains(QStringLiteral("\nPath=sub/again.wav\n")));
}

// An item on another file system than the home trash goes to that file
// system's own trash (checked where the machine has one, /dev/shm).
TEST_F(TrashTest, AnItemOnAnotherFileSystemGoesToItsTopFolderTrash)
{
    struct stat temp {
    }, shm{};
    if (::stat(dir.Path().c_str(), &temp) != 0 || ::stat("/dev/shm", &shm) != 0 || temp.st_dev == shm.st_dev ||
        ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no writable /dev/shm on another file system than the temporary folder";
    const std::string own = "/dev/shm/.Trash-" + std::to_string(::getuid());
    const bool ownWasThere = fs::exists(own);
    const std::string file = "/dev/shm/trellavox-trash-test-" + std::to_string(::getpid()) + ".wav";
    MakeFile(file);
    const TTrash trash(Q(Path("data")), ::getuid());
    std::string moved;
    try {
        const TTrashFolder folder = trash.FolderFor(Q(file));
        EXPECT_EQ(folder.RelativeTo, QStringLiteral("/dev/shm"));
        moved = trash.Move(Q(file), folder).toStdString();
        EXPECT_TRUE(QString::fromStdString(moved).startsWith(folder.Folder + QStringLiteral("/files/")));
        EXPECT_TRUE(fs::exists(moved));
        EXPECT_FALSE(fs::exists(file));
        EXPECT_FALSE(fs::exists(Path("data/Trash")));
    } catch (const ETrashError& error) {
        ADD_FAILURE() << error.what();
    }
    // What the test put there goes again.
    fs::remove(file);
    if (!moved.empty()) {
        const fs::path item(moved);
        fs::remove(item.parent_path().parent_path() / "info" / (item.filename().string() + ".trashinfo"));
        fs::remove(item);
    }
    if (!ownWasThere)
        fs::remove_all(own);
}
