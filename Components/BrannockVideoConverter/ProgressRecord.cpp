#include "Components/BrannockVideoConverter/ProgressRecord.h"

#include <charconv>

namespace converter {
namespace {

std::optional<long long> wholeNumber(std::string_view text) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<double> decimalNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "stream_0_0_q": the quality of output file 0, stream 0.
bool isQualityKey(std::string_view key) {
    return key.starts_with("stream_") && key.ends_with("_q");
}

} // namespace

std::vector<ProgressRecord> ProgressParser::feed(std::string_view bytes) {
    std::vector<ProgressRecord> done;
    std::size_t newline;
    while ((newline = bytes.find('\n')) != std::string_view::npos) {
        if (m_partial.empty()) {
            takeLine(bytes.substr(0, newline), done);
        } else {
            m_partial.append(bytes.substr(0, newline));
            const std::string line = std::move(m_partial);
            m_partial.clear();
            takeLine(line, done);
        }
        bytes.remove_prefix(newline + 1);
    }
    m_partial.append(bytes);
    return done;
}

void ProgressParser::takeLine(std::string_view line, std::vector<ProgressRecord> &done) {
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return;
    const std::string_view key = line.substr(0, equals);
    std::string_view value = line.substr(equals + 1);
    while (value.starts_with(' '))
        value.remove_prefix(1);

    if (key == "frame") {
        m_record.frame = wholeNumber(value).value_or(0);
    } else if (key == "fps") {
        m_record.fps = decimalNumber(value).value_or(0);
    } else if (isQualityKey(key)) {
        if (!m_record.quality)
            m_record.quality = decimalNumber(value);
    } else if (key == "total_size") {
        m_record.totalSize = wholeNumber(value);
    } else if (key == "out_time_us" || (key == "out_time_ms" && !m_haveMicroseconds)) {
        // ffmpeg writes microseconds under both names.
        const std::optional<long long> us = wholeNumber(value);
        if (us) {
            m_record.outTimeUs = *us > 0 ? *us : 0;
            m_haveMicroseconds = m_haveMicroseconds || key == "out_time_us";
        }
    } else if (key == "progress") {
        m_record.end = value == "end";
        done.push_back(m_record);
        m_record = ProgressRecord();
        m_haveMicroseconds = false;
    }
}

} // namespace converter
