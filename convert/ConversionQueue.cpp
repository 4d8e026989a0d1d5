#include "convert/ConversionQueue.h"

#include "convert/EncoderSettings.h"
#include "engine/FFEncode.h"

#include <optional>

namespace {

std::string noFreeNameMessage(const TOutputSelection& selection) {
    return "Cannot do convert, error: no free output file name in " + selection.OutputFileDir;
}

} // namespace

std::vector<TQueuedFile> QueueConversionTasks(TFFEncoder& encoder, const TOutputSelection& selection,
                                              const std::vector<TRunInput>& inputs, TConversionRun& run,
                                              const TQueueLog& log) {
    run.BeginQueue();
    std::vector<TQueuedFile> queued;
    TFFDecoder& decoder = encoder.Decoder();
    for (size_t i = 0; i < inputs.size(); ++i) {
        const std::string& path = inputs[i].Path;
        if (!decoder.LoadFile(path)) {
            log("File load error: " + decoder.LastErrMsg());
            continue;
        }
        TFileStreamInfo file;
        decoder.GetFileStreamInfo(file);
        std::optional<TEncoderSettings> settings = MakeEncoderSettings(selection, OpenInputOf(decoder));
        if (!settings) {
            // Every numbered name is taken: nothing may be overwritten.
            log(noFreeNameMessage(selection));
        } else if (const int task = encoder.AddTask(path, &settings->InputOptions); task < 0) {
            log("Adding file error: " + encoder.LastErrMsg());
        } else if (!encoder.SetOutputFile(task, settings->OutputFileName, &settings->OutputOptions)) {
            encoder.RemoveTask(task);
            log("Cannot do convert, error: " + encoder.LastErrMsg());
        } else {
            queued.push_back({static_cast<int>(i), task, settings->OutputFileName, file.Duration});
            run.AddTask(file.Duration);
            log(kAddedToListMessage);
        }
        decoder.CloseFile();
    }
    return queued;
}

std::vector<TQueuedFile> QueueJoinTask(TFFEncoder& encoder, const TOutputSelection& selection,
                                       const std::vector<TRunInput>& inputs, TConversionRun& run,
                                       const TQueueLog& log) {
    run.BeginQueue();
    std::optional<TEncoderSettings> settings = MakeJoinSettings(selection);
    if (!settings) {
        log(noFreeNameMessage(selection));
        return {};
    }
    std::vector<TQueuedFile> queued;
    for (size_t i = 0; i < inputs.size(); ++i) {
        TInputOptions options = InitInputOptions();
        const bool added = queued.empty() ? encoder.AddTask(inputs[i].Path, &options) >= 0
                                          : encoder.AddInputFile(0, inputs[i].Path, &options);
        if (!added) {
            log("Adding file error: " + encoder.LastErrMsg());
            continue;
        }
        queued.push_back({static_cast<int>(i), 0, settings->OutputFileName, inputs[i].DurationUs});
        run.AddJoinInput(inputs[i].DurationUs);
        log(kAddedToListMessage);
    }
    if (queued.empty())
        return queued;
    if (!encoder.SetOutputFile(0, settings->OutputFileName, &settings->OutputOptions)) {
        encoder.RemoveTask(0);
        log("Cannot do convert, error: " + encoder.LastErrMsg());
        return {};
    }
    return queued;
}
