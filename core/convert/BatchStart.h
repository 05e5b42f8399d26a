#pragma once

#include "core/convert/BatchRecord.h"
#include "core/convert/ConvertFiles.h"

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The steps before a batch runs, the same for the window and mobivert-cli,
// in the order the user meets them: the output folder is made ready, the
// data folder's batch lock is taken (and held for as long as this lives),
// the folders' free space is checked, the iPod of the library hand-off is
// chosen and checked, and the batch is written in the data folder. Ends
// with the batch ready to run and its record, or with why it cannot run.
class BatchStart final {
public:
    // ipodMountPoint names the iPod to add to; empty: the one connected.
    // The options' lanes are set here from filesAtOnce.
    using Request = BatchRequest;

    // Why the batch cannot run: the window's message (one entry per line;
    // none when the user chose not to go on), and mobivert-cli's.
    struct Refusal {
        QStringList lines;
        QString problem;
        bool critical = true; // a failure, rather than input to correct (an exclamation)
        bool invalid = false; // mobivert-cli: the input was invalid, rather than the run failed
    };

    // Picks the iPod among several connected; nothing picks none, and the
    // batch does not run.
    using IpodChooser = std::function<std::optional<QString>(const QStringList &ipods)>;

    BatchStart(const Request &request, const IpodChooser &chooseIpod);
    // The batch the request would run, for a dry run: nothing is checked,
    // locked or written.
    static BatchPlan dryRun(const Request &request);

    const std::optional<Refusal> &refusal() const { return m_refusal; }
    const BatchPlan &plan() const { return m_plan; }
    const BatchRecord &record() const { return m_record; }
    // Where the library hand-off puts the files; empty without one.
    const QString &libraryNote() const { return m_libraryNote; }
    const BatchOptions &options() const { return m_options; }
    // What the batch engine runs.
    BatchRun run() const;

private:
    std::optional<Refusal> prepare(const Request &request, const IpodChooser &chooseIpod);
    std::optional<Refusal> chooseIpod(const ConversionSettings &settings,
                                      const IpodChooser &chooser);

    BatchOptions m_options;
    QLockFile m_lock;
    std::optional<Refusal> m_refusal;
    BatchPlan m_plan;
    BatchRecord m_record;
    QString m_libraryNote;
};
