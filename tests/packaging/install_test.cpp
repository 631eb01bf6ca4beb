// The installed tree: `cmake --install` into a temporary prefix puts the
// four programs, the desktop entry, the icon, the file types and the
// AppStream description in their places, and the programs run from there.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>

namespace {

struct Ran {
    int exitCode = -1;
    QString out, err;
};

Ran run(const QString& program, const QStringList& args, const QString& source = QString()) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");  // --help and --version need no display at all
    p.setProcessEnvironment(env);
    if (!source.isEmpty()) p.setWorkingDirectory(source);
    p.start(program, args);
    if (!p.waitForFinished(120000)) return {};
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        prefix = new QTemporaryDir;
        const Ran install = run(CMAKE_COMMAND, {"--install", BUILD_DIR, "--prefix", prefix->path()});
        ASSERT_EQ(install.exitCode, 0) << install.err.toStdString();
    }
    static void TearDownTestSuite() {
        delete prefix;
        prefix = nullptr;
    }
    static QString path(const QString& relative) { return QDir(prefix->path()).filePath(relative); }
    static QTemporaryDir* prefix;
};

QTemporaryDir* Installed::prefix = nullptr;

TEST_F(Installed, ProgramsRunFromTheirPlaceWithTheProjectVersion) {
    for (const char* program :
         {"shadowgram", "shadowgram-render", "shadowgram-analyse", "shadowgram-reduce", "shadowgram-fit"}) {
        const QString exe = path(QString("bin/") + program);
        ASSERT_TRUE(QFile::exists(exe)) << program;
        // Ran from elsewhere, so nothing is found next to the sources.
        const Ran version = run(exe, {"--version"}, QDir::tempPath());
        EXPECT_EQ(version.exitCode, 0) << program << version.err.toStdString();
        EXPECT_EQ(version.out.trimmed(), QString(program) + " " + PROJECT_VERSION);
        const Ran help = run(exe, {"--help"}, QDir::tempPath());
        EXPECT_EQ(help.exitCode, 0) << program;
        EXPECT_TRUE(help.out.startsWith("Usage: " + QString(program))) << help.out.toStdString();
    }
    const Ran bad = run(path("bin/shadowgram-analyse"), {"--bogus"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.out.isEmpty());
    EXPECT_TRUE(bad.err.contains("unknown option"));
}

TEST_F(Installed, DesktopEntryIconAndDescription) {
    const QString desktop = path("share/applications/shadowgram.desktop");
    QFile entry(desktop);
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    EXPECT_TRUE(text.contains("\nExec=shadowgram %f\n"));
    EXPECT_TRUE(text.contains("\nIcon=shadowgram\n"));
    EXPECT_TRUE(text.contains(
        "MimeType=application/x-shadowgram-test;application/x-shadowgram-shape;application/x-shadowgram-readings;"));
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (!validator.isEmpty()) {
        const Ran v = run(validator, {desktop});
        EXPECT_EQ(v.exitCode, 0) << v.out.toStdString() << v.err.toStdString();
    }
    EXPECT_TRUE(QFile::exists(path("share/icons/hicolor/scalable/apps/shadowgram.svg")));
    for (int size : {16, 32, 48, 64, 128, 256})
        EXPECT_TRUE(QFile::exists(path(QString("share/icons/hicolor/%1x%1/apps/shadowgram.png").arg(size)))) << size;
    const QString metainfo = path("share/metainfo/org.shadowgram.Shadowgram.metainfo.xml");
    ASSERT_TRUE(QFile::exists(metainfo));
    const QString appstream = QStandardPaths::findExecutable("appstreamcli");
    if (!appstream.isEmpty()) {
        const Ran v = run(appstream, {"validate", "--no-net", metainfo});
        EXPECT_EQ(v.exitCode, 0) << v.out.toStdString() << v.err.toStdString();
    }
}

TEST_F(Installed, FileTypesNameBothPatterns) {
    QFile file(path("share/mime/packages/shadowgram.xml"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::map<QString, QStringList> globs;
    std::map<QString, QString> comments;
    QString type;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == u"mime-type") type = xml.attributes().value("type").toString();
        if (xml.name() == u"glob") globs[type] << xml.attributes().value("pattern").toString();
        if (xml.name() == u"comment" && xml.attributes().value("xml:lang").isEmpty())
            comments[type] = xml.readElementText();
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(globs["application/x-shadowgram-test"], (QStringList{"*.Ron", "*.ron"}));
    EXPECT_EQ(globs["application/x-shadowgram-readings"], (QStringList{"*.fou", "*.FOU"}));
    EXPECT_EQ(globs["application/x-shadowgram-shape"], (QStringList{"*.Shp"}));
    EXPECT_FALSE(comments["application/x-shadowgram-test"].isEmpty());
    EXPECT_FALSE(comments["application/x-shadowgram-shape"].isEmpty());
}

}  // namespace
