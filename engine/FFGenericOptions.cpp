#include "engine/FFGenericOptions.h"

#include "engine/FFLoad.h"
#include "engine/FFLog.h"

namespace {

std::string unrecognized(const std::string& name) {
    FFLogger().Log(nullptr, llError, "Unrecognized option \"" + name + "\"\n");
    return "Unrecognized option \"" + name + "\"";
}

std::string invalidValue(const std::string& name, const std::string& value) {
    FFLogger().Log(nullptr, llError, "Invalid value \"" + value + "\" for option \"" + name + "\"\n");
    return "Invalid value \"" + value + "\" for option \"" + name + "\"";
}

bool servesKind(const AVOption* o, AVMediaType kind) {
    const int media = AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_AUDIO_PARAM | AV_OPT_FLAG_SUBTITLE_PARAM;
    if (!(o->flags & media))
        return true;
    switch (kind) {
    case AVMEDIA_TYPE_VIDEO:
        return o->flags & AV_OPT_FLAG_VIDEO_PARAM;
    case AVMEDIA_TYPE_AUDIO:
        return o->flags & AV_OPT_FLAG_AUDIO_PARAM;
    case AVMEDIA_TYPE_SUBTITLE:
        return o->flags & AV_OPT_FLAG_SUBTITLE_PARAM;
    default:
        return true;
    }
}

const AVOption* findIn(const AVClass* cls, const std::string& name, bool children) {
    const AVClass* obj = cls;
    return FF().avutil.av_opt_find(&obj, name.c_str(), nullptr, 0,
                                   AV_OPT_SEARCH_FAKE_OBJ | (children ? AV_OPT_SEARCH_CHILDREN : 0));
}

} // namespace

TGenericOptions::TGenericOptions() {
    probeCodec_ = FF().avcodec.avcodec_alloc_context3(nullptr);
    probeFormat_ = FF().avformat.avformat_alloc_context();
}

TGenericOptions::~TGenericOptions() {
    FF().avcodec.avcodec_free_context(&probeCodec_);
    FF().avformat.avformat_free_context(probeFormat_);
}

std::string TGenericOptions::Set(const std::string& rawName, const std::string& value) {
    std::string name = rawName;
    const auto first = name.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    name = name.substr(first, name.find_last_not_of(" \t") - first + 1);

    TOptionPairs current;
    std::string dropNote;
    if (TranslateLegacyOption(name, value, legacy_, current, dropNote)) {
        if (current.empty())
            FFLogger().Log(nullptr, llInfo, dropNote);
        for (const auto& [n, v] : current) {
            std::string err = setOne(n, v);
            if (!err.empty())
                return err;
        }
        return {};
    }
    return setOne(name, value);
}

std::string TGenericOptions::setCodec(AVMediaType kind, const std::string& name, const std::string& value,
                                      bool& known) {
    const AVOption* o = findIn(FF().avcodec.avcodec_get_class(), name, false);
    known = o && (kind == AVMEDIA_TYPE_UNKNOWN || servesKind(o, kind));
    if (!known)
        return {};
    if (FF().avutil.av_opt_set(probeCodec_, name.c_str(), value.c_str(), 0) < 0)
        return invalidValue(name, value);
    recorded_.push_back({TGenericTarget::Codec, kind, name, value});
    if (name == "debug")
        FFLogger().SetLogLevel(llDebug);
    return {};
}

std::string TGenericOptions::setOne(const std::string& name, const std::string& value) {
    const TFFEntries& ff = FF();
    bool codecKnown = false;
    std::string err = setCodec(AVMEDIA_TYPE_UNKNOWN, name, value, codecKnown);
    if (!err.empty())
        return err;
    bool known = codecKnown;
    if (findIn(ff.avformat.avformat_get_class(), name, false)) {
        known = true;
        if (ff.avutil.av_opt_set(probeFormat_, name.c_str(), value.c_str(), 0) < 0)
            return invalidValue(name, value);
        recorded_.push_back({TGenericTarget::Format, AVMEDIA_TYPE_UNKNOWN, name, value});
        if (name == "debug")
            FFLogger().SetLogLevel(llDebug);
    }
    if (findIn(ff.swscale.sws_get_class(), name, false)) {
        known = true;
        recorded_.push_back({TGenericTarget::Scaler, AVMEDIA_TYPE_UNKNOWN, name, value});
    }
    if (known)
        return {};

    // "vqmin" style: the rest of the name for one kind of codec context.
    static const struct {
        char prefix;
        AVMediaType kind;
    } kinds[] = {{'a', AVMEDIA_TYPE_AUDIO}, {'v', AVMEDIA_TYPE_VIDEO}, {'s', AVMEDIA_TYPE_SUBTITLE}};
    for (const auto& k : kinds) {
        if (name.size() > 1 && name[0] == k.prefix) {
            err = setCodec(k.kind, name.substr(1), value, known);
            if (!err.empty() || known)
                return err;
        }
    }

    if (findIn(ff.avcodec.avcodec_get_class(), name, true)) {
        recorded_.push_back({TGenericTarget::CodecPrivate, AVMEDIA_TYPE_UNKNOWN, name, value});
        return {};
    }
    if (findIn(ff.avformat.avformat_get_class(), name, true)) {
        recorded_.push_back({TGenericTarget::Format, AVMEDIA_TYPE_UNKNOWN, name, value});
        return {};
    }
    return unrecognized(name);
}

std::string TGenericOptions::SetForKind(AVMediaType kind, const std::string& name, const std::string& value) {
    bool known = false;
    std::string err = setCodec(kind, name, value, known);
    if (err.empty() && !known)
        return unrecognized(name);
    return err;
}

void TGenericOptions::CodecOptions(AVMediaType kind, bool encoder, AVDictionary** dict) const {
    const TFFEntries& ff = FF();
    for (const auto& r : recorded_) {
        if (r.target == TGenericTarget::Codec) {
            if (r.kind != AVMEDIA_TYPE_UNKNOWN && r.kind != kind)
                continue;
            const AVOption* o = findIn(ff.avcodec.avcodec_get_class(), r.name, false);
            if (!o || !servesKind(o, kind))
                continue;
            if (!(o->flags & (encoder ? AV_OPT_FLAG_ENCODING_PARAM : AV_OPT_FLAG_DECODING_PARAM)))
                continue;
        } else if (r.target != TGenericTarget::CodecPrivate || !encoder) {
            continue;
        }
        ff.avutil.av_dict_set(dict, r.name.c_str(), r.value.c_str(), 0);
    }
}

void TGenericOptions::FormatOptions(AVDictionary** dict) const {
    for (const auto& r : recorded_)
        if (r.target == TGenericTarget::Format)
            FF().avutil.av_dict_set(dict, r.name.c_str(), r.value.c_str(), 0);
}

std::string TGenericOptions::ScalerFlags() const {
    std::string flags = "bicubic";
    for (const auto& r : recorded_)
        if (r.target == TGenericTarget::Scaler && r.name == "sws_flags")
            flags = r.value;
    return flags;
}

std::string TGenericOptions::CodecValue(AVMediaType kind, const std::string& name) const {
    std::string value;
    for (const auto& r : recorded_)
        if (r.target == TGenericTarget::Codec && r.name == name &&
            (r.kind == kind || r.kind == AVMEDIA_TYPE_UNKNOWN))
            value = r.value;
    return value;
}

int64_t TGenericOptions::LastBitRate() const {
    return probeCodec_->bit_rate;
}
