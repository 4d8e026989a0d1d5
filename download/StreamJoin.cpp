#include "download/StreamJoin.h"

#include "engine/FFLoad.h"
#include "engine/FFmpeg.h"
#include "support/MainThread.h"
#include "support/PathUtils.h"

namespace {

bool LoadEngine(std::string& error) {
    if (FFLoader().IsSetLoaded(FF_LOAD_SET))
        return true;
    FFEngineStart();
    FFLoader().SetLibraryPath(ExecutableFolder() + "lib");
    if (FFLoader().LoadSet(FF_LOAD_SET))
        return true;
    error = FFLoader().LastError();
    return false;
}

} // namespace

TStreamJoin::TStreamJoin() = default;

TStreamJoin::~TStreamJoin() {
    *alive_ = false;
    task_.reset(); // stops and joins its thread
}

bool TStreamJoin::Start(const std::string& video, const std::string& audio, const std::string& output,
                        const std::string& format, TDone done, std::string& error) {
    if (task_) {
        error = "a join is already running";
        return false;
    }
    if (!LoadEngine(error))
        return false;
    auto task = std::make_unique<TCustomFFmpeg>();
    try {
        if (!task->OpenInput(video) || !task->OpenInput(audio)) {
            error = task->LastErrMsg();
            return false;
        }
        task->SetForceFormat(format);
        task->SetVideoCodec("copy");
        task->SetAudioCodec("copy");
        if (task->OpenOutput(output) < 0) {
            error = task->LastErrMsg();
            return false;
        }
    } catch (const FFmpegException& e) {
        error = e.what();
        return false;
    }
    task->OnTerminate = [alive = alive_, this](TCustomFFmpeg&) {
        MainThread::Post([alive, this] {
            if (*alive)
                Finished();
        });
    };
    task_ = std::move(task);
    done_ = std::move(done);
    task_->Start(true);
    return true;
}

void TStreamJoin::Cancel() {
    if (task_)
        task_->Stop(false);
}

void TStreamJoin::Finished() {
    std::string error;
    if (task_->Failed())
        error = task_->ErrorMessage();
    else if (!task_->Completed())
        error = "the join was stopped";
    task_.reset();
    TDone done = std::move(done_);
    done(error);
}
