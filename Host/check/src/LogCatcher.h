#pragma once
// What FFmpeg's decoders and demuxers log as errors while the reader works: a
// damaged stream, or why a file cannot be opened, is often only said there.
// One catcher at a time; decoders log from their own threads, hence the lock.

extern "C" {
#include <libavutil/log.h>
}

#include <cstdarg>
#include <cstdint>
#include <mutex>
#include <string>

namespace btcheck {

class LogCatcher {
public:
    LogCatcher()
    {
        sCurrent = this;
        av_log_set_callback(&LogCatcher::Callback);
    }
    ~LogCatcher()
    {
        av_log_set_callback(&av_log_default_callback);
        sCurrent = nullptr;
    }
    LogCatcher(const LogCatcher&) = delete;
    LogCatcher& operator=(const LogCatcher&) = delete;

    std::int64_t decoderErrors = 0;
    std::string firstDecoderError;
    std::string firstDemuxerError;

private:
    static void Callback(void* object, int level, const char* format, va_list args)
    {
        if (level > AV_LOG_ERROR || object == nullptr || sCurrent == nullptr)
            return;
        const AVClass* cls = *static_cast<AVClass**>(object);
        // A format context says through get_category whether it reads or writes.
        const AVClassCategory category = cls == nullptr         ? AV_CLASS_CATEGORY_NA
                                         : cls->get_category != nullptr ? cls->get_category(object)
                                                                        : cls->category;
        if (category != AV_CLASS_CATEGORY_DECODER && category != AV_CLASS_CATEGORY_DEMUXER)
            return;
        char line[256] = {};
        int prefix = 0;
        av_log_format_line2(nullptr, level, format, args, line, sizeof line, &prefix);
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        const std::lock_guard lock(sMutex);
        if (category == AV_CLASS_CATEGORY_DECODER) {
            ++sCurrent->decoderErrors;
            if (sCurrent->firstDecoderError.empty())
                sCurrent->firstDecoderError = text;
        } else if (sCurrent->firstDemuxerError.empty()) {
            sCurrent->firstDemuxerError = text;
        }
    }

    static inline LogCatcher* sCurrent = nullptr;
    static inline std::mutex sMutex;
};

} // namespace btcheck
