#include "core/convert/SourceNotes.h"

#include "Components/BrannockVideoConverter/SourceAdaptation.h"
#include "Components/BrannockVideoConverter/SourceProbe.h"
#include "Components/BrannockVideoConverter/Translation.h"
#include "core/convert/ShellQuote.h"

QString SourceNotesForLine(const QString &batchLine) {
    const ShellWordSplit split = SplitShellWords(batchLine);
    if (split.openQuote || split.words.size() < 2)
        return {};
    std::vector<std::string> arguments; // the converter's, without its own path
    for (qsizetype i = 1; i < split.words.size(); ++i)
        arguments.push_back(split.words[i].toStdString());
    const converter::Translation translation = converter::translate(arguments);
    const auto *plan = std::get_if<converter::Plan>(&translation);
    if (!plan || !plan->inputOptions.empty())
        return {};
    const std::optional<converter::SourceFacts> facts = converter::probeSource(plan->input);
    if (!facts)
        return {};
    converter::SourceDecisions decisions = converter::decide(*plan, *facts);
    if (converter::needsInterlaceDetection(*plan, *facts))
        decisions.notes.push_back("interlacing measured on a sample when converting");
    return QString::fromStdString(converter::describe(decisions));
}
