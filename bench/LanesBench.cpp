#include "bench/LanesBench.h"

#include "bench/BenchTools.h"
#include "core/convert/FilesAtOnce.h"
#include "core/platform/ProcessorCores.h"
#include "core/profiles/ProfileFile.h"
#include "core/profiles/ProfileSettings.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

constexpr int ClipCount = 4;
constexpr double ClipSeconds = 30;

struct Profile {
    QString device;
    int number = 0;
};

QList<Profile> profilesToRun() {
    if (qEnvironmentVariable("MOBIVERT_BENCH_PROFILES") != u"all")
        return {{QStringLiteral("PSP"), 2},
                {QStringLiteral("MobilePhone"), 3},
                {QStringLiteral("Zune"), 1},
                {QStringLiteral("iPod"), 4}};
    QList<Profile> all;
    for (const char *device : {"iPod", "Zune", "PSP", "MobilePhone"}) {
        const QString name = QString::fromLatin1(device);
        const int count =
            int(ProfileSettings::ReadDeviceProfiles(ProfileFile::Path(name)).names.size());
        for (int number = 1; number <= count; ++number)
            all.append({name, number});
    }
    return all;
}

// The fields of /proc/PID/stat (or of a task) after the command name.
QList<QByteArray> statFields(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close < 0 ? QList<QByteArray>() : text.mid(close + 2).split(' ');
}

// The CPU time of every thread of a program and of every process it starts,
// sampled from /proc while it runs. A thread's CPU time is what it was given,
// whatever else the machine was doing, so these figures hold on a busy
// machine where wall times do not.
class ThreadSampler final {
public:
    ThreadSampler() = default;
    ThreadSampler(const ThreadSampler &) = delete;
    ThreadSampler &operator=(const ThreadSampler &) = delete;
    ~ThreadSampler() { stop(); }

    void start(pid_t root) {
        m_root = root;
        m_thread = std::thread([this] {
            while (!m_stop) {
                sample();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    void stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    double totalSeconds() const {
        qint64 total = 0;
        for (const qint64 ticks : m_ticks)
            total += ticks;
        return double(total) / double(::sysconf(_SC_CLK_TCK));
    }
    double busiestSeconds() const {
        qint64 busiest = 0;
        for (const qint64 ticks : m_ticks)
            busiest = std::max(busiest, ticks);
        return double(busiest) / double(::sysconf(_SC_CLK_TCK));
    }

private:
    void sample() {
        QHash<qint64, qint64> parents;
        for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            bool numeric = false;
            const qint64 pid = entry.toLongLong(&numeric);
            const QList<QByteArray> fields =
                numeric ? statFields(u"/proc/" + entry + u"/stat") : QList<QByteArray>();
            if (fields.size() > 1)
                parents.insert(pid, fields[1].toLongLong());
        }
        QSet<qint64> family{m_root};
        for (bool grown = true; grown;) {
            grown = false;
            for (auto it = parents.cbegin(); it != parents.cend(); ++it) {
                if (family.contains(it.value()) && !family.contains(it.key())) {
                    family.insert(it.key());
                    grown = true;
                }
            }
        }
        for (const qint64 pid : family) {
            const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
            for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                const QList<QByteArray> fields = statFields(tasks + u'/' + task + u"/stat");
                if (fields.size() <= 12)
                    continue;
                qint64 &ticks = m_ticks[QString::number(pid) + u'/' + task];
                ticks = std::max(ticks, fields[11].toLongLong() + fields[12].toLongLong());
            }
        }
    }

    pid_t m_root = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    QHash<QString, qint64> m_ticks; // "pid/tid": user and system time, in clock ticks
};

struct Run {
    bool ok = false;
    double wallSeconds = 0;
    double cores = 0;       // CPU time of mobivert-cli and all it ran, over the wall time
    double parallelism = 0; // that CPU time over its busiest thread's (when sampled)
};

// One batch through mobivert-cli, into an emptied output folder; with
// `sampleThreads`, every thread's CPU time is followed too.
Run convert(const Profile &profile, const QString &jobs, const QStringList &clips,
            const QString &output, bool sampleThreads = false) {
    QDir(output).removeRecursively();
    std::vector<std::string> command{MOBIVERT_CLI_BINARY,
                                     "--device",
                                     profile.device.toStdString(),
                                     "--profile",
                                     std::to_string(profile.number),
                                     "--jobs",
                                     jobs.toStdString(),
                                     "--output",
                                     QFile::encodeName(output).toStdString()};
    for (const QString &clip : clips)
        command.push_back(QFile::encodeName(clip).toStdString());
    ThreadSampler threads;
    const BenchTools::ProgramRun run =
        BenchTools::runQuietly(command, [&threads, sampleThreads](pid_t pid) {
            if (sampleThreads)
                threads.start(pid);
        });
    threads.stop();
    const bool complete = QDir(output).entryList(QDir::Files).size() == clips.size();
    const double busiest = threads.busiestSeconds();
    return {run.ok && complete, run.wallSeconds,
            run.wallSeconds > 0 ? run.cpuSeconds / run.wallSeconds : 0,
            busiest > 0 ? threads.totalSeconds() / busiest : 0};
}

QString profileName(const Profile &profile) {
    return profile.device + QStringLiteral(" %1").arg(profile.number);
}

} // namespace

QStringList RunLanesBench() {
    QTemporaryDir folder;
    if (!folder.isValid())
        return {QStringLiteral("skipped: no temporary folder")};
    const QString home = folder.path() + u"/home";
    QDir().mkpath(home);
    QStringList clips;
    for (int i = 1; i <= ClipCount; ++i) {
        clips << folder.path() + QStringLiteral("/clip %1.avi").arg(i);
        const QString error =
            BenchTools::makeClip(clips.last(), QStringLiteral("640x480"), ClipSeconds);
        if (!error.isEmpty())
            return {QStringLiteral("skipped: ") + error};
    }
    const BenchTools::HomeForBench ownHome(home);
    const QString output = folder.path() + u"/out";
    const int cores = AvailableCores();
    const int runs = BenchTools::runCount(3);
    QStringList lines{
        QStringLiteral("%1 clips of %2 s, 640x480 MPEG-4, through mobivert-cli; %3 cores; %4 "
                       "pairs per profile, Automatic and one lane taking turns; load average "
                       "at the start %5")
            .arg(ClipCount)
            .arg(ClipSeconds)
            .arg(cores)
            .arg(runs)
            .arg(BenchTools::loadAverage())};

    QList<QStringList> rows{
        {QStringLiteral("profile"), QStringLiteral("lanes"), QStringLiteral("1 converter: cores"),
         QStringLiteral("1 converter: CPU / busiest thread"), QStringLiteral("1 lane best s"),
         QStringLiteral("1 lane median s"), QStringLiteral("Automatic best s"),
         QStringLiteral("Automatic median s"), QStringLiteral("speed-up best"),
         QStringLiteral("speed-up median"), QStringLiteral("cores busy (Automatic)")}};
    QList<QStringList> expected{
        {QStringLiteral("profile"), QStringLiteral("CPU / busiest thread, this run"),
         QStringLiteral("the rule's figure"), QStringLiteral("2 cores: lanes, gain"),
         QStringLiteral("4 cores: lanes, gain"), QStringLiteral("8 cores: lanes, gain")}};
    for (const Profile &profile : profilesToRun()) {
        const ConversionSettings settings =
            ProfileSettings::SettingsForProfile(profile.device, profile.number);
        // One converter alone: the cores it keeps busy, and how its work is
        // spread over its threads.
        std::vector<double> single, spread;
        for (int i = 0; i < runs; ++i) {
            const Run run = convert(profile, QStringLiteral("1"), clips.mid(0, 1), output, true);
            if (!run.ok)
                return lines << QStringLiteral("failed: %1, one clip").arg(profileName(profile));
            single.push_back(run.cores);
            spread.push_back(run.parallelism);
        }
        std::vector<double> oneWall, autoWall, autoCores;
        for (int i = 0; i < runs; ++i) {
            for (int turn = 0; turn < 2; ++turn) {
                const bool automatic = (turn == 0) == (i % 2 == 0);
                const Run run =
                    convert(profile, automatic ? QStringLiteral("auto") : QStringLiteral("1"),
                            clips, output);
                if (!run.ok)
                    return lines << QStringLiteral("failed: %1, %2")
                                        .arg(profileName(profile),
                                             automatic ? QStringLiteral("Automatic")
                                                       : QStringLiteral("one lane"));
                (automatic ? autoWall : oneWall).push_back(run.wallSeconds);
                if (automatic)
                    autoCores.push_back(run.cores);
            }
        }
        const double parallelism = BenchTools::median(spread);
        rows.append(
            {profileName(profile),
             QString::number(
                 FilesAtOnce::LanesFor(FilesAtOnce::Automatic, settings, ClipCount, cores)),
             BenchTools::number(BenchTools::median(single), 2), BenchTools::number(parallelism, 2),
             BenchTools::number(BenchTools::best(oneWall), 2),
             BenchTools::number(BenchTools::median(oneWall), 2),
             BenchTools::number(BenchTools::best(autoWall), 2),
             BenchTools::number(BenchTools::median(autoWall), 2),
             BenchTools::number(BenchTools::best(oneWall) / BenchTools::best(autoWall), 3),
             BenchTools::number(BenchTools::median(oneWall) / BenchTools::median(autoWall), 3),
             BenchTools::number(BenchTools::median(autoCores), 2)});

        // What this converter's spread gives on larger machines: the lanes
        // of Automatic's rule there, and the speed-up over one lane when the
        // lanes share the cores fully.
        QStringList line{profileName(profile), BenchTools::number(parallelism, 2),
                         BenchTools::number(FilesAtOnce::MeasuredParallelism(settings), 2)};
        for (const int machine : {2, 4, 8}) {
            const double one = FilesAtOnce::PipelineCoreUse(parallelism, machine);
            const int lanes = FilesAtOnce::LanesForCoreUse(one, machine);
            const double gain = std::min<double>(machine, lanes * one) / one;
            line << QStringLiteral("%1, %2x").arg(lanes).arg(BenchTools::number(gain, 2));
        }
        expected.append(line);
    }
    lines << BenchTools::table(rows);
    lines << QString();
    lines << QStringLiteral("Expected on larger machines, from how each converter spreads its work "
                            "over its threads (one converter uses %1 x min(cores, CPU / busiest "
                            "thread) cores; lanes = cores / that, rounded up, at most the cores):")
                 .arg(FilesAtOnce::PipelineEfficiency);
    lines << BenchTools::table(expected);
    lines << QStringLiteral("Load average at the end: ") + BenchTools::loadAverage();
    return lines;
}
