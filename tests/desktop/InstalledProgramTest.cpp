// `cmake --install` into a temporary prefix: the layout, the versions, and
// the installed program started offscreen through its bindir link.

#include "FileSystemCases.h"
#include "TempFolder.h"
#include "state/StateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QXmlStreamReader>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using plainora::StateFiles;
using plainora::test::TempFolder;

namespace {

const QString DesktopId = QStringLiteral(PLAINORA_DESKTOP_ID);
const QString ProgramDir = QStringLiteral(PLAINORA_INSTALL_PROGRAMDIR);
const QString BinDir = QStringLiteral(PLAINORA_INSTALL_BINDIR);
const QString DataDir = QStringLiteral(PLAINORA_INSTALL_DATADIR);
const QString ManDir = QStringLiteral(PLAINORA_INSTALL_MANDIR);

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The program's output, or a note saying why there is none.
QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return QStringLiteral("<%1 did not finish: %2>").arg(program, process.errorString());
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAll());
}

// Whether the process catches SIGTERM yet, from /proc/PID/status.
bool catchesTermination(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    }
    return false;
}

// How one start of the installed program ended.
struct Ending
{
    bool stillRunningBeforeSignal = false;
    int exitCode = -1; // -1: killed, crashed or did not end
};

// Starts program as the session would, lets it run for a moment, then ends
// it with SIGTERM (as a logout does). With asNobody (only when run as root)
// it runs as "nobody", whom file permissions bind.
Ending startAndTerminate(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory, const QString& configHome, bool asNobody)
{
    std::vector<QByteArray> argumentBytes{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        argumentBytes.push_back(QFile::encodeName(argument));
    std::vector<QByteArray> environmentBytes{
        "QT_QPA_PLATFORM=offscreen", "HOME=" + QFile::encodeName(configHome),
        "XDG_CONFIG_HOME=" + QFile::encodeName(configHome), "PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
    std::vector<char*> argv;
    for (QByteArray& bytes : argumentBytes)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (QByteArray& bytes : environmentBytes)
        envp.push_back(bytes.data());
    envp.push_back(nullptr);
    const QByteArray directory = QFile::encodeName(workingDirectory);

    const pid_t child = ::fork();
    if (child == 0) {
        if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(126);
        if (::chdir(directory.constData()) != 0)
            ::_exit(126);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    Ending ending;
    if (child < 0)
        return ending;
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + seconds(30);
    int status = 0;
    pid_t done = 0;
    while (!catchesTermination(child) && (done = ::waitpid(child, &status, WNOHANG)) == 0 &&
           steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(20));
    // A moment for the window to come up; a signal before then must work too.
    std::this_thread::sleep_for(milliseconds(300));
    if (done == 0)
        done = ::waitpid(child, &status, WNOHANG);
    ending.stillRunningBeforeSignal = done == 0;
    if (done == 0) {
        ::kill(child, SIGTERM);
        while ((done = ::waitpid(child, &status, WNOHANG)) == 0 && steady_clock::now() < deadline)
            std::this_thread::sleep_for(milliseconds(20));
        if (done == 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return ending;
        }
    }
    if (WIFEXITED(status))
        ending.exitCode = WEXITSTATUS(status);
    return ending;
}

class InstalledProgram : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_prefix = new TempFolder;
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DESTDIR"));
        install.setProcessEnvironment(environment);
        install.start(QStringLiteral(PLAINORA_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(PLAINORA_BUILD_DIR),
                       QStringLiteral("--prefix"), s_prefix->path()});
        s_installed = install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit &&
                      install.exitCode() == 0;
        s_installLog = QString::fromUtf8(install.readAll());
        // Other users may reach the prefix, as in /usr.
        plainora::test::openToOthers(s_prefix->path());
    }
    static void TearDownTestSuite()
    {
        delete s_prefix;
        s_prefix = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(s_installed) << s_installLog.toStdString(); }
    void TearDown() override
    {
        QFile::setPermissions(programDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                                QFile::ExeGroup);
        for (const char* name : {"set.txt", "TAMRIX.txt", "output.txt"})
            QFile::remove(QDir(programDir()).filePath(QLatin1String(name)));
    }

    static QString installed(const QString& relative) { return s_prefix->path(relative); }
    static QString programDir() { return installed(ProgramDir); }
    static QString launcher() { return installed(BinDir + QStringLiteral("/plainora")); }

    static TempFolder* s_prefix;
    static bool s_installed;
    static QString s_installLog;
};

TempFolder* InstalledProgram::s_prefix = nullptr;
bool InstalledProgram::s_installed = false;
QString InstalledProgram::s_installLog;

// A folder "nobody" may read and write when the suite runs as root.
void openForEveryone(const QString& folder)
{
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                      QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::WriteOther | QFile::ExeOther);
}

} // namespace

TEST_F(InstalledProgram, TheProgramAndItsGuideShareAFolderThatTheBindirLinkLeadsTo)
{
    const QFileInfo link(launcher());
    ASSERT_TRUE(link.isSymLink()) << link.filePath().toStdString();
    EXPECT_EQ(link.canonicalFilePath(),
              QFileInfo(programDir() + QStringLiteral("/plainora")).canonicalFilePath());
    // A relative link keeps working when the prefix moves (DESTDIR, packages).
    EXPECT_TRUE(QFileInfo(link.symLinkTarget()).exists());
    EXPECT_TRUE(QFileInfo(programDir() + QStringLiteral("/plainora")).isExecutable());
    const QByteArray guide = readFile(programDir() + QStringLiteral("/help.html"));
    EXPECT_TRUE(guide.contains("<html")) << "help.html beside the program";
    EXPECT_FALSE(QFileInfo::exists(installed(BinDir + QStringLiteral("/help.html"))));
}

TEST_F(InstalledProgram, DesktopEntryIconsMetadataAndManPageAreWhereTheDesktopLooks)
{
    const QString applications =
        installed(DataDir + QStringLiteral("/applications/") + DesktopId + ".desktop");
    const QByteArray entry = readFile(applications);
    EXPECT_TRUE(entry.contains("Exec=plainora %F")) << applications.toStdString();
    EXPECT_TRUE(entry.contains("Icon=" + DesktopId.toUtf8() + "\n"));

    const QString metainfo = installed(DataDir + QStringLiteral("/metainfo/") + DesktopId + ".metainfo.xml");
    EXPECT_TRUE(
        readFile(metainfo).contains("<launchable type=\"desktop-id\">" + DesktopId.toUtf8() + ".desktop<"));

    const QString hicolor = installed(DataDir + QStringLiteral("/icons/hicolor/"));
    const QByteArray svg = readFile(hicolor + QStringLiteral("scalable/apps/") + DesktopId + ".svg");
    EXPECT_TRUE(svg.contains("<svg"));
    const QImage png(hicolor + QStringLiteral("48x48/apps/") + DesktopId + ".png");
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), QSize(48, 48));
    // Drawn, not blank: the notepad's paper is opaque in the middle.
    EXPECT_EQ(qAlpha(png.pixel(24, 24)), 255);
    EXPECT_EQ(qAlpha(png.pixel(0, 0)), 0);

    EXPECT_TRUE(
        readFile(installed(ManDir + QStringLiteral("/man1/plainora.1"))).startsWith(".TH PLAINORA 1"));
}

TEST_F(InstalledProgram, TheInstalledTreeValidatesForSoftwareCentres)
{
    // Metadata, desktop entry and icon checked together, as a software centre reads them.
    int exitCode = -1;
    const QString report =
        run(QStringLiteral(PLAINORA_APPSTREAMCLI),
            {QStringLiteral("validate-tree"), QStringLiteral("--no-net"), s_prefix->path()}, &exitCode);
    EXPECT_EQ(exitCode, 0) << report.toStdString();
}

TEST_F(InstalledProgram, EveryVersionSaysTheProjectVersion)
{
    const QString version = QStringLiteral(PLAINORA_PROJECT_VERSION);
    int exitCode = -1;
    EXPECT_EQ(run(launcher(), {QStringLiteral("--version")}, &exitCode),
              QStringLiteral("Plainora %1\n").arg(version));
    EXPECT_EQ(exitCode, 0);

    QXmlStreamReader xml(
        readFile(installed(DataDir + QStringLiteral("/metainfo/") + DesktopId + ".metainfo.xml")));
    QStringList releases;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("release"))
            releases.append(xml.attributes().value(QLatin1String("version")).toString());
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    ASSERT_FALSE(releases.isEmpty());
    EXPECT_EQ(releases.first(), version) << "the newest release comes first";

    exitCode = -1;
    const QString cli = installed(BinDir + QStringLiteral("/plainora-cli"));
    EXPECT_EQ(run(cli, {QStringLiteral("--version")}, &exitCode),
              QStringLiteral("plainora-cli %1\n").arg(version));
    EXPECT_EQ(exitCode, 0);
}

TEST_F(InstalledProgram, StartsOffscreenTakesItsArgumentsAndKeepsItsStateBesideItsGuide)
{
    TempFolder work;
    const QString document = work.write("report.docx");
    const QString folder = work.folder("letters");
    // Were "-platform offscreen" not taken by the toolkit, this folder would
    // become an entry.
    work.folder("offscreen");
    const QString saved = work.write("saved.doc");
    QFile savedList(programDir() + QStringLiteral("/TAMRIX.txt"));
    ASSERT_TRUE(savedList.open(QIODevice::WriteOnly));
    savedList.write(StateFiles::JoinLines({saved}));
    savedList.close();
    TempFolder config;

    const Ending ending =
        startAndTerminate(launcher(),
                          {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                           QStringLiteral("report.docx"), QStringLiteral("missing.doc"), folder},
                          work.path(), config.path(), false);

    EXPECT_TRUE(ending.stillRunningBeforeSignal);
    EXPECT_EQ(ending.exitCode, 0) << "SIGTERM closes the window as Exit does";
    // Started through the link, the program knows its real folder: the one
    // that holds help.html is where its state went.
    EXPECT_TRUE(QFileInfo::exists(programDir() + QStringLiteral("/help.html")));
    EXPECT_EQ(readFile(programDir() + QStringLiteral("/TAMRIX.txt")),
              StateFiles::JoinLines({saved, document, folder}));
    EXPECT_FALSE(QFileInfo::exists(config.path(QStringLiteral("plainora"))));
}

TEST_F(InstalledProgram, AReadOnlyInstallKeepsTheStateInTheUsersConfigurationFolder)
{
    TempFolder work;
    plainora::test::openToOthers(work.path());
    const QString document = work.write("memo.doc");
    TempFolder config;
    openForEveryone(config.path());
    ASSERT_TRUE(QFile::setPermissions(programDir(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                        QFile::ExeGroup | QFile::ReadOther |
                                                        QFile::ExeOther));

    const Ending ending =
        startAndTerminate(launcher(), {document}, work.path(), config.path(), ::geteuid() == 0);

    EXPECT_TRUE(ending.stillRunningBeforeSignal);
    EXPECT_EQ(ending.exitCode, 0);
    EXPECT_EQ(readFile(config.path(QStringLiteral("plainora/TAMRIX.txt"))),
              StateFiles::JoinLines({document}));
    EXPECT_FALSE(QFileInfo::exists(programDir() + QStringLiteral("/TAMRIX.txt")));
}
