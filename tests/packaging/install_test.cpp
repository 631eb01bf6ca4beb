// SPDX-License-Identifier: GPL-3.0-or-later
// The installed tree: `cmake --install` into a temporary prefix puts the
// five programs with their manual pages, the desktop entry, the icon, the
// file types, the AppStream description and the copyright file in their
// places, and the programs run from there.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <functional>
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
         {"shadowgram", "shadowgram-render", "shadowgram-analyse", "shadowgram-reduce", "shadowgram-fit", "shadowgram-log"}) {
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
        "MimeType=application/x-shadowgram-test;application/x-shadowgram-shape;application/x-shadowgram-readings;"
        "application/x-shadowgram-logbook;"));
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
    EXPECT_EQ(globs["application/x-shadowgram-logbook"], (QStringList{"*.sglog"}));
    EXPECT_FALSE(comments["application/x-shadowgram-test"].isEmpty());
    EXPECT_FALSE(comments["application/x-shadowgram-shape"].isEmpty());
}

// A free-software package: the licence in the machine-readable copyright
// file, a manual page for every program, and no placeholder addresses.
TEST_F(Installed, LicenceManualPagesAndNoPlaceholders) {
    QFile copyright(path("share/doc/shadowgram/copyright"));
    ASSERT_TRUE(copyright.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(copyright.readAll()).split('\n');
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines[0], "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/");
    // Paragraphs of "Field: value" lines, continued by lines that start with a blank.
    int filesStar = -1, paragraph = 0;
    std::map<QString, int> licences;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.isEmpty()) {
            ++paragraph;
            continue;
        }
        if (line.startsWith(' ')) continue;
        const int colon = line.indexOf(':');
        ASSERT_GT(colon, 0) << "line " << i + 1 << " is no field: " << line.toStdString();
        const QString field = line.left(colon);
        EXPECT_FALSE(field.contains(' ')) << line.toStdString();
        if (line == "Files: *") filesStar = paragraph;
        if (field == "License") ++licences[line.mid(colon + 1).trimmed()];
    }
    EXPECT_GE(filesStar, 1) << "no Files: * stanza after the header";
    EXPECT_GE(licences["GPL-3+"], 2);  // the parts, and the licence's own text
    // The licence's paragraph points at the full text every Debian system carries.
    const QString text = lines.join('\n');
    EXPECT_TRUE(text.contains("License: GPL-3+\n This program is free software")) << "no GPL-3+ licence paragraph";
    EXPECT_TRUE(text.contains("/usr/share/common-licenses/GPL-3"));
    // The source carries the licence's full text.
    QFile licence(QString(SOURCE_DIR) + "/LICENSE");
    ASSERT_TRUE(licence.open(QIODevice::ReadOnly));
    const QByteArray full = licence.readAll();
    EXPECT_TRUE(full.contains("GNU GENERAL PUBLIC LICENSE") && full.contains("Version 3, 29 June 2007"));

    for (const char* program :
         {"shadowgram", "shadowgram-render", "shadowgram-analyse", "shadowgram-reduce", "shadowgram-fit", "shadowgram-log"}) {
        const QString page = path(QString("share/man/man1/") + program + ".1.gz");
        ASSERT_TRUE(QFile::exists(page)) << program;
        // man renders it without a warning.
        QProcess man;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("MANWIDTH", "80");
        man.setProcessEnvironment(env);
        man.start("man", {"--warnings", "-E", "UTF-8", "-l", page});
        ASSERT_TRUE(man.waitForFinished(60000)) << program;
        EXPECT_EQ(man.exitCode(), 0) << program;
        const QString shown = QString::fromUtf8(man.readAllStandardOutput());
        EXPECT_TRUE(man.readAllStandardError().isEmpty()) << program;
        for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "FILES", "EXIT STATUS", "EXAMPLES"})
            EXPECT_TRUE(shown.contains(QString("\n") + section + "\n")) << program << " has no " << section;
        EXPECT_FALSE(shown.contains("example.org") || shown.contains("example.com")) << program;
    }

    // No file of the installed tree points at a placeholder address.
    QStringList files;
    std::function<void(const QString&)> walk = [&](const QString& folder) {
        for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (f.isDir()) walk(f.filePath());
            else files << f.filePath();
        }
    };
    walk(prefix->path());
    ASSERT_GT(files.size(), 20);
    for (const QString& file : files) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
        const QByteArray bytes = f.readAll();
        EXPECT_FALSE(bytes.contains("example.org")) << file.toStdString();
        EXPECT_FALSE(bytes.contains("example.com")) << file.toStdString();
    }
}

}  // namespace
