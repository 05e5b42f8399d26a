// The converter's reading of its command line and the ffmpeg arguments it
// makes of it. Input: one argument per line.
//
// What must hold: any command line gives a plan or an error, never a crash or
// undefined behaviour. A plan keeps the input and the output exactly as given
// (the input read as a file unless an input format is forced), passes the
// options before -i through unchanged, passes every option the converter does
// not know through unchanged and in order, and gives ffmpeg "-y", the input
// options, the start position, the input, the output options and the output,
// in that order. The values of the old options read consistently: a margin
// is an even count of pixels, a frame size is positive, a bit rate loses at
// most a trailing "bps".
#include "tests/fuzz/FuzzInput.h"

#include "Components/BrannockVideoConverter/OptionValues.h"
#include "Components/BrannockVideoConverter/Translation.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace converter;

namespace {

QString shown(const std::vector<std::string> &words) {
    QStringList texts;
    for (const std::string &word : words)
        texts.append(fuzz::shown(QString::fromStdString(word)));
    return texts.join(u' ');
}

bool isSubsequence(const std::vector<std::string> &part, const std::vector<std::string> &whole) {
    auto at = whole.begin();
    for (const std::string &word : part) {
        at = std::find(at, whole.end(), word);
        if (at == whole.end())
            return false;
        ++at;
    }
    return true;
}

void checkValues(const std::vector<std::string> &arguments) {
    for (const std::string &word : arguments) {
        if (const std::optional<int> margin = parseMargin(word))
            FUZZ_CHECK(*margin >= 0 && *margin % 2 == 0, QString::fromStdString(word));
        if (const std::optional<FrameSize> size = parseFrameSize(word))
            FUZZ_CHECK(size->width > 0 && size->height > 0, QString::fromStdString(word));
        const std::string rate = bitRate(word);
        FUZZ_CHECK(word.starts_with(rate) &&
                       (rate.size() == word.size() || rate.size() + 3 == word.size()),
                   QString::fromStdString(word));
    }
}

void checkPlan(const std::vector<std::string> &arguments, const Plan &plan) {
    const auto detail = [&] {
        return shown(arguments);
    };
    const auto input = std::find(arguments.begin(), arguments.end(), "-i");
    FUZZ_CHECK(input != arguments.end() && input + 1 < arguments.end() - 1, detail());
    FUZZ_CHECK(plan.input == *(input + 1) && plan.output == arguments.back(), detail());

    std::vector<std::string> inputOptions;
    std::copy_if(arguments.begin(), input, std::back_inserter(inputOptions),
                 [](const std::string &word) { return word != "-y"; });
    FUZZ_CHECK(plan.inputOptions == inputOptions, detail());
    const bool formatForced =
        std::find(inputOptions.begin(), inputOptions.end(), "-f") != inputOptions.end();
    FUZZ_CHECK(plan.inputUrl == (formatForced ? plan.input : "file:" + plan.input), detail());
    FUZZ_CHECK(plan.singlePicture == (plan.muxer == "image2"), detail());

    // The words the converter does not know, between the input and the output.
    std::vector<std::string> passed;
    for (auto at = input + 2; at < arguments.end() - 1; ++at) {
        if (const DialectOption *option = dialectOption(*at))
            at += option->takesValue ? 1 : 0;
        else
            passed.push_back(*at);
    }
    FUZZ_CHECK(isSubsequence(passed, plan.outputOptions),
               u"passed " + shown(passed) + u" as " + shown(plan.outputOptions));

    for (const bool withSeek : {true, false}) {
        const std::vector<std::string> ffmpeg = ffmpegArguments(plan, "OUT", withSeek);
        std::vector<std::string> expected{"-y"};
        expected.insert(expected.end(), inputOptions.begin(), inputOptions.end());
        if (withSeek && !plan.seek.empty())
            expected.insert(expected.end(), {"-ss", plan.seek});
        expected.insert(expected.end(), {"-i", plan.inputUrl});
        expected.insert(expected.end(), plan.outputOptions.begin(), plan.outputOptions.end());
        expected.push_back("OUT");
        FUZZ_CHECK(ffmpeg == expected, shown(ffmpeg) + u" for " + detail());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QByteArray input = fuzz::bytes(data, size);
    if (input.endsWith('\n'))
        input.chop(1); // a text file's last line end ends no argument
    std::vector<std::string> arguments;
    if (!input.isEmpty()) {
        for (const QByteArray &line : input.split('\n')) {
            if (arguments.size() == 64)
                break;
            arguments.push_back(QByteArray(line).replace("\\n", "\n").toStdString());
        }
    }

    checkValues(arguments);
    const Translation translation = translate(arguments);
    if (const auto *error = std::get_if<TranslationError>(&translation)) {
        FUZZ_CHECK(!error->message.empty(), shown(arguments));
        return 0;
    }
    checkPlan(arguments, std::get<Plan>(translation));
    return 0;
}
