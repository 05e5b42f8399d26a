#include "core/convert/SourceNotes.h"

#include "Components/BrannockVideoConverter/SourceAdaptation.h"
#include "Components/BrannockVideoConverter/SourceProbe.h"
#include "Components/BrannockVideoConverter/Translation.h"
#include "core/platform/FileSystem.h"
#include "core/platform/PathBytes.h"

QString SourceNotesFor(const BatchCommand &command) {
    if (command.arguments.isEmpty())
        return {};
    std::vector<std::string> arguments;
    for (const QString &argument : command.arguments)
        arguments.push_back(argument.toStdString());
    const converter::Translation translation = converter::translate(arguments);
    const auto *plan = std::get_if<converter::Plan>(&translation);
    if (!plan || !plan->inputOptions.empty())
        return {};
    // The source may have been swapped for a FIFO since it was listed; the
    // probe would wait for a writer, and the program with it.
    if (!OpensAsRegularFile(PathFromBytes(QByteArray::fromStdString(plan->input))))
        return {};
    const std::optional<converter::SourceFacts> facts = converter::probeSource(plan->input);
    if (!facts)
        return {};
    converter::SourceDecisions decisions = converter::decide(*plan, *facts);
    if (converter::needsInterlaceDetection(*plan, *facts))
        decisions.notes.push_back("interlacing measured on a sample when converting");
    return QString::fromStdString(converter::describe(decisions));
}
