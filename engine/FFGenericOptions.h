#pragma once

#include "engine/FFOptionTranslations.h"

#include <string>
#include <vector>

extern "C" {
#include <libavutil/avutil.h>
}

struct AVCodecContext;
struct AVDictionary;

// Where an accepted option applies.
enum class TGenericTarget { Codec, CodecPrivate, Format, Scaler };

struct TRecordedOption {
    TGenericTarget target;
    AVMediaType kind; // AVMEDIA_TYPE_UNKNOWN: every kind the option serves
    std::string name;
    std::string value;
};

// The generic option setter of a task: offers a name to the libraries' codec, format
// and scaler option classes (then to codec and format private options), remembers
// what was accepted and hands it to every context the task creates later.
class TGenericOptions {
public:
    TGenericOptions();
    ~TGenericOptions();
    TGenericOptions(const TGenericOptions&) = delete;
    TGenericOptions& operator=(const TGenericOptions&) = delete;

    // Empty on success, else the message ("Unrecognized option ...", "Invalid value ...").
    // Legacy names are translated first; one with no equivalent is dropped (logged).
    std::string Set(const std::string& name, const std::string& value);
    // A codec option for one kind of stream only ("ab", "vb", "aq").
    std::string SetForKind(AVMediaType kind, const std::string& name, const std::string& value);

    // Adds what applies to a codec context of this kind (encoder or decoder) to dict.
    void CodecOptions(AVMediaType kind, bool encoder, AVDictionary** dict) const;
    // Adds the format options to dict.
    void FormatOptions(AVDictionary** dict) const;
    // The scaler flags text ("bicubic" unless "sws_flags" was set).
    std::string ScalerFlags() const;
    // The last value recorded for a codec option of this kind; empty when none.
    std::string CodecValue(AVMediaType kind, const std::string& name) const;
    // The bit rate the last accepted "b" option gave.
    int64_t LastBitRate() const;

private:
    std::string setOne(const std::string& name, const std::string& value);
    std::string setCodec(AVMediaType kind, const std::string& name, const std::string& value, bool& known);

    std::vector<TRecordedOption> recorded_;
    TLegacyOptionState legacy_;
    AVCodecContext* probeCodec_ = nullptr; // validates codec option values
    struct AVFormatContext* probeFormat_ = nullptr;
};
