#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

// How long a test waits for something that other work on the machine can
// delay (a process starting or ending, a conversion's output): long enough
// for any load, since a test that passes never waits it out. A test asserts
// what happens, never how soon.
constexpr int kPatienceMs = 180000;

// Where the build tree keeps the application folder and its components.
namespace TestPaths {
QString buildDir();
QString sourceDir();
QString appDir();    // the folder of the mobivert binary, with Profiles/ and Components/
QString converter(); // Components/BrannockVideoConverter.dll
QString trackDrop(); // Components/TrackDrop.exe
QString binary(const QString &name); // a program at the top of the build tree
} // namespace TestPaths

// A home folder of the test's own: HOME, XDG_CONFIG_HOME, XDG_MUSIC_DIR and
// MOBIVERT_MOUNTINFO point into a fresh temporary folder while the object
// lives, and the application folder is the build tree's. No real iPod or
// Memory Stick is ever seen.
class TestHome final {
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    QString path() const { return m_dir.path(); }
    QString configFolder() const;
    QString dataFolder() const; // config + "/Brannock Software/Mobivert"
    QString musicFolder() const;
    // A fresh folder inside the home (created).
    QString makeFolder(const QString &name) const;
    // The mounts the program sees (MOBIVERT_MOUNTINFO points into the
    // home): none at first; these folders as FAT volumes once set.
    void setMounts(const QStringList &mountPoints) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome, m_oldConfig, m_oldMusic, m_oldMounts;
};
