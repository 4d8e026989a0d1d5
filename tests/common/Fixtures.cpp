#include "Fixtures.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace Fixtures {
namespace {

// One row per fixture: the ffmpeg arguments that make it (output file appended).
const std::map<std::string, std::string>& table() {
    // clang-format off
    static const std::map<std::string, std::string> rows = {
        {"av.mp4", "-f lavfi -i testsrc=size=320x240:rate=25:duration=3 -f lavfi -i "
                   "sine=frequency=440:sample_rate=44100:duration=3 -ac 2 -c:v libx264 -preset ultrafast "
                   "-pix_fmt yuv420p -c:a aac -shortest"},
        {"av.avi", "-f lavfi -i testsrc=size=320x240:rate=25:duration=3 -f lavfi -i "
                   "sine=frequency=440:sample_rate=44100:duration=3 -ac 2 -c:v mpeg4 -c:a libmp3lame -shortest"},
        {"av.mkv", "-f lavfi -i smptebars=size=352x288:rate=30:duration=3 -f lavfi -i "
                   "sine=frequency=660:sample_rate=48000:duration=3 -ac 2 -c:v libx264 -preset ultrafast "
                   "-pix_fmt yuv420p -c:a libvorbis -shortest"},
        {"av.flv", "-f lavfi -i testsrc=size=320x240:rate=25:duration=3 -f lavfi -i "
                   "sine=frequency=440:sample_rate=44100:duration=3 -ac 2 -c:v flv -c:a libmp3lame -shortest"},
        {"av_wide.mp4", "-f lavfi -i testsrc=size=640x360:rate=30:duration=2 -f lavfi -i "
                        "sine=frequency=440:sample_rate=48000:duration=2 -ac 2 -c:v libx264 -preset ultrafast "
                        "-pix_fmt yuv420p -c:a aac -shortest"},
        {"video_only.mp4", "-f lavfi -i testsrc=size=320x240:rate=25:duration=2 -c:v libx264 -preset ultrafast "
                           "-pix_fmt yuv420p"},
        // A service's separate streams of one video.
        {"stream_720p.mp4", "-f lavfi -i testsrc=size=1280x720:rate=25:duration=1 -c:v libx264 -preset ultrafast "
                            "-pix_fmt yuv420p"},
        {"stream_audio.m4a", "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=1 -ac 2 -c:a aac"},
        {"audio.mp3", "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=3 -ac 2 -c:a libmp3lame -b:a 128k"},
        {"audio.wav", "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=3 -ac 2 -c:a pcm_s16le"},
        {"audio_mono.ogg", "-f lavfi -i sine=frequency=440:sample_rate=22050:duration=2 -c:a libvorbis"},
        {"proof_av.mp4", "-f lavfi -i testsrc=size=176x144:rate=25:duration=1 -f lavfi -i "
                         "sine=frequency=440:sample_rate=44100:duration=1 -ac 2 -c:v libx264 -preset ultrafast "
                         "-pix_fmt yuv420p -c:a aac -shortest"},
        {"proof_audio.mp3", "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=1 -ac 2 -c:a libmp3lame "
                            "-b:a 128k"},
        {"still.png", "-f lavfi -i testsrc=size=320x240:rate=1:duration=1 -frames:v 1"},
        {"long_tone.mp3", "-f lavfi -i sine=frequency=330:sample_rate=22050:duration=240 -c:a libmp3lame -b:a 64k"},
        {"video_nodur.h264", "-f lavfi -i testsrc=size=176x144:rate=25:duration=2 -c:v libx264 -preset ultrafast "
                             "-pix_fmt yuv420p"},
        {"av.ts", "-f lavfi -i testsrc=size=320x240:rate=25:duration=2 -f lavfi -i sine=duration=2 "
                  "-c:v mpeg2video -c:a mp2"},
        {"tagged.m4a", "-f lavfi -i sine=duration=1 -c:a aac -metadata title=Song -metadata artist=Someone "
                       "-metadata album=Album -metadata genre=Jazz -metadata track=3 -metadata date=2009 "
                       "-metadata comment=nice -metadata copyright=Me -metadata creation_time=2020-01-02T03:04:05Z"},
        // Flat pictures, so the black bars around a fitted picture can be measured.
        {"flat_wide.mp4", "-f lavfi -i color=c=0xC0C0C0:size=640x360:rate=25:duration=1 -f lavfi -i "
                          "sine=duration=1 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest"},
        {"flat_standard.mp4", "-f lavfi -i color=c=0xC0C0C0:size=320x240:rate=25:duration=1 -f lavfi -i "
                              "sine=duration=1 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest"},
        {"flat_anamorphic.mp4", "-f lavfi -i color=c=0xC0C0C0:size=320x240:rate=25:duration=1 -f lavfi -i "
                                "sine=duration=1 -vf setsar=4/3 -c:v libx264 -preset ultrafast -pix_fmt yuv420p "
                                "-c:a aac -shortest"},
        {"anamorphic.mp4", "-f lavfi -i testsrc=size=320x240:rate=25:duration=2 -vf setsar=4/3 -c:v libx264 "
                           "-preset ultrafast -pix_fmt yuv420p"},
    };
    // clang-format on
    return rows;
}

} // namespace

namespace {

// The folder the environment variable names, else the build's own.
std::string FolderFromEnv(const char* variable, const char* buildDefault) {
    const char* env = std::getenv(variable);
    const fs::path dir = env && *env ? fs::path(env) : fs::path(buildDefault);
    fs::create_directories(dir);
    return dir.lexically_normal().string();
}

} // namespace

std::string Folder() {
    return FolderFromEnv("MEDIAWIZ_FIXTURES", MEDIAWIZ_FIXTURES_DIR);
}

std::string GalleryFolder() {
    return FolderFromEnv("MEDIAWIZ_GALLERY", MEDIAWIZ_GALLERY_DIR);
}

std::string Path(const std::string& name) {
    const fs::path target = fs::path(Folder()) / name;
    if (fs::exists(target))
        return target.string();
    auto row = table().find(name);
    if (row == table().end())
        throw std::runtime_error("no such fixture: " + name);
    // Generate under a private name and rename, so concurrent test processes never
    // see a half-written file.
    const fs::path temp = fs::path(Folder()) / ("tmp" + std::to_string(getpid()) + "_" + name);
    const std::string cmd =
        "ffmpeg -nostdin -hide_banner -loglevel error -y " + row->second + " '" + temp.string() + "'";
    if (std::system(cmd.c_str()) != 0 || !fs::exists(temp))
        throw std::runtime_error("cannot generate fixture " + name + " with: " + cmd);
    fs::rename(temp, target);
    return target.string();
}

std::string ScratchFolder(const std::string& testName) {
    const fs::path dir = fs::path(Folder()) / "scratch" / (testName + "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

} // namespace Fixtures
