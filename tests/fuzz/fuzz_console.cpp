// Following a batch's console output. Input: on the first line the sizes of
// the chunks the output arrives in (numbers, used in turn); then one line per
// row of the batch, "<seconds> <input path>", up to an empty line; then the
// console output itself.
//
// What must hold: output fed whole, byte by byte and in the chosen chunks
// gives the same lines and the same window (current file, both progress
// bars, caption, status line, errors), before and after the end of the
// batch; the bars never leave their range and the file number never leaves
// the batch.
#include "tests/fuzz/FuzzInput.h"

#include "core/convert/ConsoleLineSplitter.h"
#include "core/convert/ConversionProgress.h"

#include <functional>

namespace {

const QString Data = QStringLiteral("/home/u/.config/Brannock Software/Mobivert");
const QString Converter = Data + u"/BrannockVideoConverter.exe";
const QString TrackDrop = Data + u"/TrackDrop.exe";

struct Input {
    QList<qsizetype> chunkSizes;
    QList<BatchRow> rows;
    QByteArray output;
};

Input read(QByteArrayView data) {
    Input input;
    QByteArray rest;
    const QByteArray sizes = fuzz::fields(data, 1, &rest).front();
    for (const QByteArray &word : sizes.split(' ')) {
        bool ok = false;
        const int size = word.toInt(&ok);
        if (ok && size > 0 && input.chunkSizes.size() < 64)
            input.chunkSizes.append(size);
    }
    if (input.chunkSizes.isEmpty())
        input.chunkSizes.append(7);
    while (!rest.isEmpty() && input.rows.size() < 16) {
        QByteArray remaining;
        const QByteArray row = fuzz::fields(rest, 1, &remaining).front();
        rest = remaining;
        if (row.isEmpty())
            break;
        const qsizetype blank = row.indexOf(' ');
        input.rows.append({QString::fromUtf8(blank < 0 ? QByteArray() : row.sliced(blank + 1)),
                           (blank < 0 ? row : row.first(blank)).toLongLong()});
    }
    input.output = rest;
    return input;
}

using Feeder = std::function<void(QByteArrayView)>;

// Feeds the output whole (sizes empty), or cut in pieces of the given sizes.
void feedInChunks(const QByteArray &output, const QList<qsizetype> &sizes, const Feeder &feed) {
    if (sizes.isEmpty()) {
        feed(output);
        return;
    }
    qsizetype at = 0;
    for (qsizetype turn = 0; at < output.size(); ++turn) {
        const qsizetype size = std::min(sizes[turn % sizes.size()], output.size() - at);
        feed(QByteArrayView(output).sliced(at, size));
        at += size;
    }
}

QList<QString> splitLines(const QByteArray &output, const QList<qsizetype> &sizes) {
    ConsoleLineSplitter splitter;
    QList<QString> lines;
    feedInChunks(output, sizes, [&](QByteArrayView chunk) { lines += splitter.feed(chunk); });
    lines += splitter.finish();
    return lines;
}

struct Window {
    int currentFile;
    QString currentFileText;
    QString caption;
    QString status;
    int currentMaximum;
    int currentValue;
    int totalMaximum;
    int totalValue;
    bool finished;
    QString errors;

    friend bool operator==(const Window &, const Window &) = default;

    QString text() const {
        return QStringLiteral("file %1 (%2) caption %3 status %4 bar %5/%6 total %7/%8 %9 "
                              "errors %10")
            .arg(currentFile)
            .arg(fuzz::shown(currentFileText), fuzz::shown(caption), fuzz::shown(status))
            .arg(currentValue)
            .arg(currentMaximum)
            .arg(totalValue)
            .arg(totalMaximum)
            .arg(finished ? QStringLiteral("finished") : QStringLiteral("running"),
                 fuzz::shown(errors));
    }
};

Window windowOf(const ConversionProgress &progress) {
    return {progress.currentFile(),  progress.currentFileText(), progress.caption(),
            progress.status(),       progress.currentMaximum(),  progress.currentValue(),
            progress.totalMaximum(), progress.totalValue(),      progress.finished(),
            progress.errorMessages()};
}

void checkRanges(const Window &window, qsizetype rowCount) {
    FUZZ_CHECK(window.currentFile >= 0 && window.currentFile <= rowCount &&
                   window.currentMaximum > 0 && window.currentValue >= 0 &&
                   window.currentValue <= window.currentMaximum && window.totalValue >= 0 &&
                   window.totalValue <= window.totalMaximum && window.totalMaximum == rowCount + 1,
               window.text());
    FUZZ_CHECK(window.errors.isEmpty() ||
                   (window.errors.startsWith(u'-') && window.errors.endsWith(u"\r\n")),
               window.text());
    if (window.finished) {
        FUZZ_CHECK(window.currentValue == window.currentMaximum &&
                       window.totalValue == window.totalMaximum &&
                       window.currentFileText == u"Finished!",
                   window.text());
    } else {
        FUZZ_CHECK(window.totalValue == window.currentFile, window.text());
    }
}

// The window once all output has arrived, and once the batch has ended.
std::pair<Window, Window> follow(const Input &input, const QList<qsizetype> &sizes) {
    ConversionProgress progress(Converter, TrackDrop, input.rows);
    feedInChunks(input.output, sizes, [&](QByteArrayView chunk) {
        progress.feed(chunk);
        checkRanges(windowOf(progress), input.rows.size());
    });
    const Window running = windowOf(progress);
    progress.finish();
    const Window ended = windowOf(progress);
    checkRanges(ended, input.rows.size());
    return {running, ended};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const Input input = read(fuzz::bytes(data, size));

    const QList<QString> lines = splitLines(input.output, {});
    for (const QString &line : lines)
        FUZZ_CHECK(!line.isEmpty() && !line.contains(u'\r') && !line.contains(u'\n'),
                   fuzz::shown(line));
    FUZZ_CHECK(splitLines(input.output, input.chunkSizes) == lines,
               QStringLiteral("chunks changed the lines"));
    FUZZ_CHECK(splitLines(input.output, {1}) == lines,
               QStringLiteral("single bytes changed the lines"));

    const auto whole = follow(input, {});
    const auto chunked = follow(input, input.chunkSizes);
    FUZZ_CHECK(chunked.first == whole.first,
               u"chunks: " + chunked.first.text() + u"\nwhole: " + whole.first.text());
    FUZZ_CHECK(chunked.second == whole.second,
               u"chunks: " + chunked.second.text() + u"\nwhole: " + whole.second.text());
    const auto bytes = follow(input, {1});
    FUZZ_CHECK(bytes.first == whole.first,
               u"bytes: " + bytes.first.text() + u"\nwhole: " + whole.first.text());
    FUZZ_CHECK(bytes.second == whole.second,
               u"bytes: " + bytes.second.text() + u"\nwhole: " + whole.second.text());
    return 0;
}
