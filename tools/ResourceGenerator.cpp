// Draws the program's skin images, edition icons, format button pictures and
// sounds into a folder laid out as the program expects beside its executable:
//   sounds/res/<skin files>, sounds/done.wav, sounds/fail.wav,
//   icons/<icon>.png, formats/<format>_<state>.png
// and the desktop entry's icon in the icon theme's layout:
//   hicolor/<n>x<n>/apps/mediawiz.png
// Usage: mediawiz-resources OUTPUT_DIR

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

const QColor kMagenta(255, 0, 255);
const QColor kHeaderTop(0x1b, 0x4f, 0x72);
const QColor kHeaderBottom(0x23, 0x74, 0x8f);
const QColor kLeaf(0x5c, 0xb8, 0x5c);
const QColor kInk(0x24, 0x33, 0x45);
constexpr int kWidth = 772;
constexpr int kHeight = 547;
constexpr int kHeaderHeight = 34;
constexpr int kBottomBarTop = 500;

QFont SansFont(int pixelSize, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void Save(const QImage& image, const QString& path, const char* format) {
    if (!image.save(path, format)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// A stylised leaf: two arcs meeting at the tips, with a midrib.
void DrawLeaf(QPainter& p, QRectF box, const QColor& color) {
    QPainterPath leaf;
    leaf.moveTo(box.left(), box.bottom());
    leaf.cubicTo(box.left(), box.top() + box.height() * 0.2, box.right() - box.width() * 0.2, box.top(),
                 box.right(), box.top());
    leaf.cubicTo(box.right(), box.bottom() - box.height() * 0.2, box.left() + box.width() * 0.2, box.bottom(),
                 box.left(), box.bottom());
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(leaf);
    p.setPen(QPen(color.darker(118), std::max(1.0, box.width() / 32)));
    p.drawLine(box.bottomLeft(), box.center() + QPointF(box.width() * 0.25, -box.height() * 0.25));
}

QImage DrawMain() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(kMagenta);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, 0, kWidth, kHeight), 12, 12);
    p.setClipPath(shape);
    p.fillRect(image.rect(), QColor(0xf6, 0xf8, 0xfb));

    QLinearGradient header(0, 0, 0, kHeaderHeight);
    header.setColorAt(0, kHeaderTop);
    header.setColorAt(1, kHeaderBottom);
    p.fillRect(QRect(0, 0, kWidth, kHeaderHeight), header);
    // Title band under the header.
    QLinearGradient band(0, kHeaderHeight, 0, 70);
    band.setColorAt(0, QColor(0xe4, 0xee, 0xf4));
    band.setColorAt(1, QColor(0xf6, 0xf8, 0xfb));
    p.fillRect(QRect(0, kHeaderHeight, kWidth, 36), band);
    p.fillRect(QRect(0, kHeaderHeight, kWidth, 2), kLeaf);
    // Left panel behind the logo.
    QLinearGradient panel(0, 70, 0, kBottomBarTop);
    panel.setColorAt(0, QColor(0xe9, 0xf1, 0xf6));
    panel.setColorAt(1, QColor(0xd7, 0xe5, 0xee));
    p.fillRect(QRect(8, 70, 188, kBottomBarTop - 78), panel);
    p.setPen(QColor(0xc2, 0xd2, 0xde));
    p.drawRoundedRect(QRectF(8.5, 70.5, 187, kBottomBarTop - 79), 6, 6);
    DrawLeaf(p, QRectF(60, 390, 80, 80), QColor(0xc9, 0xe3, 0xcf));
    // Bottom bar with the buttons.
    QLinearGradient bottom(0, kBottomBarTop, 0, kHeight);
    bottom.setColorAt(0, QColor(0xe1, 0xe8, 0xee));
    bottom.setColorAt(1, QColor(0xc9, 0xd5, 0xdf));
    p.fillRect(QRect(0, kBottomBarTop, kWidth, kHeight - kBottomBarTop), bottom);
    p.setPen(QColor(0xb4, 0xc3, 0xcf));
    p.drawLine(0, kBottomBarTop, kWidth, kBottomBarTop);
    p.setClipping(false);
    p.setPen(QPen(kHeaderTop.darker(130), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.end();
    // Outside the rounded shape stays pure magenta (no blended edge pixels).
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (!shape.contains(QPointF(x + 0.5, y + 0.5)))
                image.setPixelColor(x, y, kMagenta);
        }
    }
    return image;
}

QImage DrawTopLogo() {
    QImage image(260, 30, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawLeaf(p, QRectF(4, 4, 22, 22), kLeaf.lighter(120));
    p.setPen(Qt::white);
    p.setFont(SansFont(17, true));
    p.drawText(QRect(32, 0, 120, 30), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Vantoleaf"));
    p.setPen(QColor(0xbf, 0xe3, 0xf0));
    p.setFont(SansFont(12));
    p.drawText(QRect(128, 2, 132, 30), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("media wizard"));
    return image;
}

QImage DrawLeftLogo() {
    QImage image(171, 238, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient card(0, 0, 0, 238);
    card.setColorAt(0, kHeaderBottom);
    card.setColorAt(1, kHeaderTop);
    p.setPen(Qt::NoPen);
    p.setBrush(card);
    p.drawRoundedRect(QRectF(0, 0, 171, 238), 8, 8);
    DrawLeaf(p, QRectF(45, 28, 80, 80), kLeaf.lighter(115));
    p.setPen(Qt::white);
    p.setFont(SansFont(20, true));
    p.drawText(QRect(0, 120, 171, 30), Qt::AlignCenter, QStringLiteral("Vantoleaf"));
    p.setPen(QColor(0xcf, 0xe9, 0xf2));
    p.setFont(SansFont(11));
    p.drawText(QRect(10, 152, 151, 60), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("Convert and download\naudio and video"));
    return image;
}

// A mode-page picture: a screen with a symbol, and a caption below.
QImage DrawModePicture(bool download) {
    QImage image(240, 180, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x9f, 0xb4, 0xc4), 2));
    p.setBrush(QColor(0xff, 0xff, 0xff));
    p.drawRoundedRect(QRectF(20, 8, 200, 130), 10, 10);
    const QColor accent = download ? QColor(0xd2, 0x3f, 0x31) : QColor(0x2b, 0x7c, 0xb3);
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    p.drawRoundedRect(QRectF(40, 26, 100, 70), 14, 14);
    QPainterPath play;
    play.moveTo(78, 44);
    play.lineTo(108, 61);
    play.lineTo(78, 78);
    play.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(play);
    p.setBrush(kLeaf);
    if (download) {
        // Arrow down into a tray.
        p.drawRect(QRectF(165, 30, 16, 40));
        QPainterPath head;
        head.moveTo(153, 68);
        head.lineTo(193, 68);
        head.lineTo(173, 94);
        head.closeSubpath();
        p.drawPath(head);
        p.drawRect(QRectF(150, 104, 46, 8));
    } else {
        // Two notes: the audio a video becomes.
        p.drawEllipse(QRectF(150, 92, 18, 14));
        p.drawEllipse(QRectF(180, 86, 18, 14));
        p.setPen(QPen(kLeaf, 4));
        p.drawLine(QPointF(166, 98), QPointF(166, 40));
        p.drawLine(QPointF(196, 92), QPointF(196, 34));
        p.drawLine(QPointF(166, 42), QPointF(196, 36));
    }
    p.setPen(kInk);
    p.setFont(SansFont(13, true));
    p.drawText(QRect(0, 146, 240, 30), Qt::AlignCenter,
               download ? QStringLiteral("Download video") : QStringLiteral("Convert audio / video"));
    return image;
}

// A caption button on the header; the picture carries the header behind it.
QImage DrawCaptionButton(const QImage& main, QPoint at, bool close, int state) {
    QImage image = main.copy(QRect(at, QSize(28, 20)));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor fills[] = {QColor(255, 255, 255, 30), QColor(255, 255, 255, 80),
                            close ? QColor(0xd2, 0x3f, 0x31) : QColor(0, 0, 0, 70)};
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.setBrush(fills[state]);
    p.drawRoundedRect(QRectF(0.5, 0.5, 27, 19), 4, 4);
    p.setPen(QPen(Qt::white, 2));
    if (close) {
        p.drawLine(QPointF(10, 6), QPointF(18, 14));
        p.drawLine(QPointF(18, 6), QPointF(10, 14));
    } else {
        p.drawLine(QPointF(9, 14), QPointF(19, 14));
    }
    return image;
}

// A bottom button: normal, mouse over, pressed, disabled. The caption is drawn by the button.
QImage DrawBottomButton(const QImage& main, int state) {
    QImage image = main.copy(QRect(QPoint(426, 510), QSize(90, 28)));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    struct Look {
        QColor top, bottom, border;
    };
    const Look looks[] = {
        {QColor(0xff, 0xff, 0xff), QColor(0xdc, 0xe7, 0xf0), QColor(0x8c, 0xa3, 0xb6)},
        {QColor(0xf4, 0xfb, 0xf1), QColor(0xcd, 0xea, 0xc6), kLeaf.darker(120)},
        {QColor(0xbf, 0xd3, 0xe2), QColor(0xe6, 0xee, 0xf4), QColor(0x5d, 0x7a, 0x90)},
        {QColor(0xee, 0xee, 0xee), QColor(0xe0, 0xe0, 0xe0), QColor(0xbb, 0xbb, 0xbb)},
    };
    QLinearGradient fill(0, 0, 0, 28);
    fill.setColorAt(0, looks[state].top);
    fill.setColorAt(1, looks[state].bottom);
    p.setPen(QPen(looks[state].border, 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, 89, 27), 5, 5);
    return image;
}

struct TIconRow {
    const char* Name;
    QColor Color;
    const char* Glyph;
};

const TIconRow kIcons[] = {
    {"video", QColor(0x2b, 0x7c, 0xb3), "V"},  {"audio", QColor(0x7b, 0x4f, 0xb0), "A"},
    {"dvd", QColor(0x44, 0x55, 0x66), "DVD"},  {"youtube", QColor(0xd2, 0x3f, 0x31), "YT"},
    {"ipod", QColor(0x60, 0x6a, 0x75), "i"},   {"joiner", QColor(0xe0, 0x8a, 0x1e), "J"},
    {"mobile", QColor(0x1f, 0x9e, 0x89), "M"}, {"flash", QColor(0xc0, 0x39, 0x2b), "F"},
    {"studio", QColor(0x3d, 0x8b, 0x3d), "S"},
};

// The sizes of the desktop entry's icon in the icon theme.
constexpr int kDesktopIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// Drawn on a 64-pixel design grid, scaled to the size asked for.
QImage DrawIcon(const TIconRow& row, int size = 64) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient fill(0, 0, 0, 64);
    fill.setColorAt(0, row.Color.lighter(125));
    fill.setColorAt(1, row.Color);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 14, 14);
    DrawLeaf(p, QRectF(38, 6, 20, 20), kLeaf.lighter(130));
    p.setPen(Qt::white);
    p.setFont(SansFont(std::strlen(row.Glyph) > 2 ? 16 : 28, true));
    p.drawText(QRect(0, 8, 64, 56), Qt::AlignCenter, QString::fromLatin1(row.Glyph));
    return image;
}

struct TFormatRow {
    const char* Name;
    int Class; // 0 video, 1 device, 2 audio
};

const TFormatRow kFormats[] = {
    {"AVI", 0}, {"MP4", 0},        {"FLV", 0},         {"SWF", 0},  {"MPEG", 0},   {"RM", 0},
    {"WMV", 0}, {"MOV", 0},        {"3GP", 0},         {"iPod", 1}, {"iPhone", 1}, {"AppleTV", 1},
    {"PSP", 1}, {"BlackBerry", 1}, {"MobilePhone", 1}, {"iPad", 1}, {"WAV", 2},    {"MP3", 2},
    {"WMA", 2}, {"OGG", 2},        {"AAC", 2},         {"M4A", 2},  {"FLAC", 2},   {"MP2", 2},
};

// A format button: normal, mouse over, pressed, and chosen (the disabled picture, which
// marks the current choice): filled with the class colour and ticked.
QImage DrawFormatButton(const TFormatRow& row, int state) {
    const QColor classColors[] = {QColor(0x2b, 0x7c, 0xb3), QColor(0x1f, 0x9e, 0x89),
                                  QColor(0x7b, 0x4f, 0xb0)};
    const QColor color = classColors[row.Class];
    const bool chosen = state == 3;
    QImage image(62, 57, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, 57);
    fill.setColorAt(0, chosen       ? color.lighter(115)
                       : state == 2 ? color.lighter(170)
                                    : QColor(0xff, 0xff, 0xff));
    fill.setColorAt(1, chosen       ? color.darker(115)
                       : state == 0 ? QColor(0xe8, 0xee, 0xf3)
                                    : color.lighter(150));
    p.setPen(QPen(state == 0 ? QColor(0xb0, 0xbe, 0xca)
                  : chosen   ? color.darker(150)
                             : color,
                  state >= 2 ? 2 : 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1, 1, 60, 55), 6, 6);
    const QColor glyph = chosen ? color : Qt::white;
    p.setPen(Qt::NoPen);
    p.setBrush(chosen ? QColor(Qt::white) : color);
    p.drawRoundedRect(QRectF(19, 7, 24, 18), 4, 4);
    p.setBrush(glyph);
    if (row.Class == 2) {
        p.drawEllipse(QRectF(25, 16, 7, 6));
        p.fillRect(QRectF(30, 10, 2, 9), glyph);
    } else if (row.Class == 1) {
        p.drawRoundedRect(QRectF(27, 9, 8, 14), 2, 2);
    } else {
        QPainterPath play;
        play.moveTo(27, 10);
        play.lineTo(37, 16);
        play.lineTo(27, 22);
        play.closeSubpath();
        p.drawPath(play);
    }
    if (chosen) {
        QPainterPath tick;
        tick.moveTo(47, 10);
        tick.lineTo(51, 14);
        tick.lineTo(57, 6);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
    }
    const QString name = QString::fromLatin1(row.Name);
    p.setPen(chosen ? QColor(Qt::white) : kInk);
    p.setFont(SansFont(name.size() > 7 ? 8 : name.size() > 4 ? 10 : 12, true));
    p.drawText(QRect(0, 28, 62, 26), Qt::AlignCenter, name);
    return image;
}

void Append16(std::vector<char>& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void Append32(std::vector<char>& out, uint32_t v) {
    Append16(out, static_cast<uint16_t>(v & 0xFFFF));
    Append16(out, static_cast<uint16_t>(v >> 16));
}

struct TTone {
    double Hz;
    double Seconds;
};

// A mono 16-bit PCM wave of the tones one after another, each faded in and out.
void WriteWave(const QString& path, std::initializer_list<TTone> tones) {
    constexpr uint32_t kRate = 22050;
    std::vector<int16_t> samples;
    for (const TTone& tone : tones) {
        const int count = static_cast<int>(tone.Seconds * kRate);
        for (int i = 0; i < count; ++i) {
            const double fade = std::min({1.0, i / 400.0, (count - i) / 1500.0});
            const double value = std::sin(2 * M_PI * tone.Hz * i / kRate) * 0.45 * fade;
            samples.push_back(static_cast<int16_t>(value * 32767));
        }
    }
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<char> out;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Append32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Append32(out, 16);
    Append16(out, 1); // PCM
    Append16(out, 1); // mono
    Append32(out, kRate);
    Append32(out, kRate * 2);
    Append16(out, 2);
    Append16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Append32(out, dataBytes);
    for (int16_t s : samples)
        Append16(out, static_cast<uint16_t>(s));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(out.data(), out.size()) != static_cast<qint64>(out.size())) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString skin = out.filePath(QStringLiteral("sounds/res/"));
    const QString icons = out.filePath(QStringLiteral("icons/"));
    const QString formats = out.filePath(QStringLiteral("formats/"));
    for (const QString& folder : {skin, icons, formats})
        QDir().mkpath(folder);

    const QImage main = DrawMain();
    Save(main, skin + QStringLiteral("main.bmp"), "BMP");
    Save(DrawTopLogo(), skin + QStringLiteral("toplogo.png"), "PNG");
    Save(DrawLeftLogo(), skin + QStringLiteral("leftlogo.png"), "PNG");
    Save(DrawModePicture(true), skin + QStringLiteral("downloadyoutube.png"), "PNG");
    Save(DrawModePicture(false), skin + QStringLiteral("youtubeconvert.png"), "PNG");
    for (int state = 0; state < 3; ++state) {
        const QString n = QString::number(state + 1);
        Save(DrawCaptionButton(main, QPoint(696, 4), false, state), skin + "min_" + n + ".bmp", "BMP");
        Save(DrawCaptionButton(main, QPoint(728, 4), true, state), skin + "close_" + n + ".bmp", "BMP");
    }
    for (int state = 0; state < 4; ++state)
        Save(DrawBottomButton(main, state), skin + "bottom_" + QString::number(state + 1) + ".bmp", "BMP");
    for (const TIconRow& row : kIcons)
        Save(DrawIcon(row), icons + QString::fromLatin1(row.Name) + ".png", "PNG");
    // The default edition's icon.
    for (int size : kDesktopIconSizes) {
        const QString folder = out.filePath(QStringLiteral("hicolor/%1x%1/apps/").arg(size));
        QDir().mkpath(folder);
        Save(DrawIcon(kIcons[0], size), folder + QStringLiteral("mediawiz.png"), "PNG");
    }
    for (const TFormatRow& row : kFormats) {
        for (int state = 0; state < 4; ++state)
            Save(DrawFormatButton(row, state),
                 formats + QString::fromLatin1(row.Name).toLower() + "_" + QString::number(state + 1) +
                     ".png",
                 "PNG");
    }
    WriteWave(out.filePath(QStringLiteral("sounds/done.wav")), {{660, 0.15}, {880, 0.15}, {1320, 0.3}});
    WriteWave(out.filePath(QStringLiteral("sounds/fail.wav")), {{440, 0.2}, {330, 0.2}, {220, 0.4}});
    return 0;
}
