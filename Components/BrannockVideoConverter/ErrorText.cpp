#include "Components/BrannockVideoConverter/ErrorText.h"

#include <algorithm>
#include <utility>

namespace converter {
namespace {

void replaceAll(std::string &text, const std::string &from, const std::string &to) {
    if (from.empty() || from == to)
        return;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

ErrorText::ErrorText(std::string inputUrl, std::string input, std::string outputUrl,
                     std::string output)
    : m_inputUrl(std::move(inputUrl))
    , m_input(std::move(input))
    , m_outputUrl(std::move(outputUrl))
    , m_output(std::move(output)) {}

std::string ErrorText::translate(const LogLine &line) const {
    if (std::find(line.contexts.begin(), line.contexts.end(), "swscaler") != line.contexts.end())
        return "swScaler: " + line.text;

    const std::string inputPrefix = m_inputUrl + ": ";
    if (line.text.starts_with(inputPrefix)) {
        const std::string_view reason = std::string_view(line.text).substr(inputPrefix.size());
        if (reason == "No such file or directory")
            return m_input + ": no such file or directory";
        if (reason == "Permission denied")
            return m_input + ": permission denied";
        if (reason == "Invalid data found when processing input")
            return m_input + ": Unknown format";
        return m_input + ": Error while opening file";
    }

    std::string text = line.text;
    replaceAll(text, m_outputUrl, m_output);
    replaceAll(text, m_inputUrl, m_input);
    return text;
}

bool inputUnreadable(const std::vector<LogLine> &errors, const std::vector<std::string> &readers) {
    static const std::vector<std::string> unreadable{"Error while decoding stream",
                                                     "partial file",
                                                     "after EOF",
                                                     "Invalid NAL unit",
                                                     "Error splitting the input",
                                                     "Invalid data found when processing input",
                                                     "corrupt"};
    return std::any_of(errors.begin(), errors.end(), [&](const LogLine &line) {
        const bool fromReader =
            !line.contexts.empty() &&
            std::find(readers.begin(), readers.end(), line.contexts.front()) != readers.end();
        return fromReader ||
               std::any_of(unreadable.begin(), unreadable.end(), [&](const std::string &words) {
                   return line.text.find(words) != std::string::npos;
               });
    });
}

} // namespace converter
