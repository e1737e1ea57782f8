#include "CameraDll/recognition/tesseract_recognizer.h"

#include "CameraDll/capture_log.h"
#include "CameraDll/recognition/recognized_text.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>

#include <tesseract/capi.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace camera {

// The functions used, typed by Tesseract's own header. decltype names a
// function's type without referring to the function, so nothing is linked.
struct TesseractApi {
    decltype(&TessBaseAPICreate) create = nullptr;
    decltype(&TessBaseAPIDelete) destroy = nullptr;
    decltype(&TessBaseAPIInit3) init = nullptr;
    decltype(&TessBaseAPISetVariable) setVariable = nullptr;
    decltype(&TessBaseAPISetPageSegMode) setPageMode = nullptr;
    decltype(&TessBaseAPISetImage) setImage = nullptr;
    decltype(&TessBaseAPISetSourceResolution) setResolution = nullptr;
    decltype(&TessBaseAPISetRectangle) setRectangle = nullptr;
    decltype(&TessBaseAPIRecognize) recognize = nullptr;
    decltype(&TessBaseAPIGetUTF8Text) text = nullptr;
    decltype(&TessBaseAPIMeanTextConf) confidence = nullptr;
    decltype(&TessDeleteText) deleteText = nullptr;
    decltype(&TessBaseAPIGetIterator) lines = nullptr;
    decltype(&TessResultIteratorDelete) deleteLines = nullptr;
    decltype(&TessResultIteratorNext) next = nullptr;
    decltype(&TessResultIteratorGetUTF8Text) lineText = nullptr;
    decltype(&TessResultIteratorConfidence) lineConfidence = nullptr;
    decltype(&TessResultIteratorGetPageIterator) linePlace = nullptr;
    decltype(&TessPageIteratorBoundingBox) box = nullptr;
    decltype(&TessMonitorCreate) createMonitor = nullptr;
    decltype(&TessMonitorDelete) deleteMonitor = nullptr;
    decltype(&TessMonitorSetCancelFunc) setCancel = nullptr;
    decltype(&TessMonitorSetCancelThis) setCancelThis = nullptr;
    // OpenMP's, where Tesseract was built with it, as Debian's is.
    void (*setDynamicThreads)(int) = nullptr;
};

namespace {

// A screen at scale 1 shows 96 of its pixels to the inch.
constexpr qreal kScreenDpi = 96;
// The engine's working copy stays within this many pixels, whatever the
// selection: an 8K screen upscaled three times would take gigabytes.
constexpr qreal kLargestWorkingCopy = 40e6;
// Around a line read again in English, for the strokes at its edges.
constexpr int kLineMargin = 4;
// Logical pixels of background put around the picture.
constexpr int kBorder = 10;

template <typename Function> bool Resolve(QLibrary& library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

// The grey most of the picture's edge has: the window's background, as a
// rule, which the border is filled with.
int EdgeGrey(const QImage& grey) {
    std::array<int, 256> count{};
    for (int x = 0; x < grey.width(); ++x) {
        ++count[grey.constScanLine(0)[x]];
        ++count[grey.constScanLine(grey.height() - 1)[x]];
    }
    for (int y = 0; y < grey.height(); ++y) {
        ++count[grey.constScanLine(y)[0]];
        ++count[grey.constScanLine(y)[grey.width() - 1]];
    }
    return int(std::max_element(count.begin(), count.end()) - count.begin());
}

// Grey, in a border of its background, and upscaled until the text is as
// large as the engine reads best; factor says by how much, from logical
// pixels. Text right at the picture's edge, as in a window picked whole, is
// otherwise lost: measured, a label of a window framed by its title bar went
// missing, and came back with the border.
QImage Prepared(const QImage& picture, qreal pixelsPerPoint, qreal& factor) {
    const qreal scale = std::max<qreal>(1, picture.devicePixelRatio());
    const QImage plain = picture.convertToFormat(QImage::Format_Grayscale8);
    const int margin = qRound(kBorder * scale);
    QImage grey(plain.width() + 2 * margin, plain.height() + 2 * margin, QImage::Format_Grayscale8);
    grey.fill(uint(EdgeGrey(plain)));
    for (int y = 0; y < plain.height(); ++y)
        std::copy_n(plain.constScanLine(y), plain.width(), grey.scanLine(y + margin) + margin);
    qreal upscale = std::max<qreal>(1, pixelsPerPoint / scale);
    const qreal area = qreal(grey.width()) * grey.height();
    if (area * upscale * upscale > kLargestWorkingCopy)
        upscale = std::max<qreal>(1, std::sqrt(kLargestWorkingCopy / std::max<qreal>(area, 1)));
    // Smoothly: measured, pixels merely repeated are read far worse.
    if (upscale > 1)
        grey = grey.scaled(QSize(qRound(grey.width() * upscale), qRound(grey.height() * upscale)),
                           Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    factor = upscale * scale;
    return grey;
}

bool Stopped(void* stop, int) {
    return static_cast<const std::atomic<bool>*>(stop)->load();
}

bool HasHan(const QString& text) {
    const std::u32string chars = text.toStdU32String();
    return std::any_of(chars.begin(), chars.end(),
                       [](char32_t c) { return QChar::script(c) == QChar::Script_Han; });
}

bool HasLetters(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

// One engine for one language, on one picture.
class Engine {
public:
    Engine(const TesseractApi& tess, const char* language, int pageMode, const QImage& grey,
           qreal factor)
        : tess_(tess), engine_(tess.create()) {
        const QByteArray folder = QFile::encodeName(TesseractRecognizer::DataFolder());
        ready_ = tess.init(engine_, folder.constData(), language) == 0;
        if (!ready_) {
            qCWarning(lcCapture, "Tesseract found no %s data in %s", language, folder.constData());
            return;
        }
        // Tesseract talks about what it does on the standard error; a host
        // program's console is no place for it.
        tess.setVariable(engine_, "debug_file", "/dev/null");
        tess.setPageMode(engine_, static_cast<tesseract::PageSegMode>(pageMode));
        tess.setImage(engine_, grey.constBits(), grey.width(), grey.height(), 1,
                      static_cast<int>(grey.bytesPerLine()));
        tess.setResolution(engine_, qRound(kScreenDpi * factor));
    }
    ~Engine() { tess_.destroy(engine_); }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    bool ready() const { return ready_; }
    TessBaseAPI* handle() const { return engine_; }

    QString take(char* text) const {
        const QString taken = QString::fromUtf8(text);
        tess_.deleteText(text);
        return taken.trimmed();
    }

private:
    const TesseractApi& tess_;
    TessBaseAPI* engine_;
    bool ready_ = false;
};

struct Line {
    QString text;
    float confidence = 0;
    QRect box;
};

std::vector<Line> ReadLines(const TesseractApi& tess, const Engine& engine) {
    std::vector<Line> lines;
    TessResultIterator* it = tess.lines(engine.handle());
    if (!it)
        return lines;
    do {
        Line line;
        line.text = engine.take(tess.lineText(it, tesseract::RIL_TEXTLINE));
        line.confidence = tess.lineConfidence(it, tesseract::RIL_TEXTLINE);
        int left = 0, top = 0, right = 0, bottom = 0;
        if (tess.box(tess.linePlace(it), tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom))
            line.box = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
        if (!line.text.isEmpty())
            lines.push_back(line);
    } while (tess.next(it, tesseract::RIL_TEXTLINE));
    tess.deleteLines(it);
    return lines;
}

} // namespace

TesseractRecognizer::TesseractRecognizer() : TesseractRecognizer(Settings()) {}

TesseractRecognizer::TesseractRecognizer(Settings settings) : settings_(settings) {}

// The library stays loaded: it is never unloaded from a running process.
TesseractRecognizer::~TesseractRecognizer() = default;

const TesseractApi* TesseractRecognizer::api() {
    std::call_once(loading_, [this] {
        loadTried_ = true;
        library_.setFileNameAndVersion(QStringLiteral("tesseract"), 5);
        if (!library_.load()) {
            qCDebug(lcCapture, "no Tesseract: %s", qPrintable(library_.errorString()));
            return;
        }
        auto api = std::make_unique<TesseractApi>();
        QLibrary& l = library_;
        if (Resolve(l, "TessBaseAPICreate", api->create) &&
            Resolve(l, "TessBaseAPIDelete", api->destroy) &&
            Resolve(l, "TessBaseAPIInit3", api->init) &&
            Resolve(l, "TessBaseAPISetVariable", api->setVariable) &&
            Resolve(l, "TessBaseAPISetPageSegMode", api->setPageMode) &&
            Resolve(l, "TessBaseAPISetImage", api->setImage) &&
            Resolve(l, "TessBaseAPISetSourceResolution", api->setResolution) &&
            Resolve(l, "TessBaseAPISetRectangle", api->setRectangle) &&
            Resolve(l, "TessBaseAPIRecognize", api->recognize) &&
            Resolve(l, "TessBaseAPIGetUTF8Text", api->text) &&
            Resolve(l, "TessBaseAPIMeanTextConf", api->confidence) &&
            Resolve(l, "TessDeleteText", api->deleteText) &&
            Resolve(l, "TessBaseAPIGetIterator", api->lines) &&
            Resolve(l, "TessResultIteratorDelete", api->deleteLines) &&
            Resolve(l, "TessResultIteratorNext", api->next) &&
            Resolve(l, "TessResultIteratorGetUTF8Text", api->lineText) &&
            Resolve(l, "TessResultIteratorConfidence", api->lineConfidence) &&
            Resolve(l, "TessResultIteratorGetPageIterator", api->linePlace) &&
            Resolve(l, "TessPageIteratorBoundingBox", api->box) &&
            Resolve(l, "TessMonitorCreate", api->createMonitor) &&
            Resolve(l, "TessMonitorDelete", api->deleteMonitor) &&
            Resolve(l, "TessMonitorSetCancelFunc", api->setCancel) &&
            Resolve(l, "TessMonitorSetCancelThis", api->setCancelThis)) {
            Resolve(l, "omp_set_dynamic", api->setDynamicThreads);
            api_ = std::move(api);
        } else
            qCWarning(lcCapture, "Tesseract lacks a function the capture uses");
    });
    return api_.get();
}

QString TesseractRecognizer::DataFolder() {
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty()) {
        // Tesseract 3 took the folder above "tessdata"; 4 and later take
        // "tessdata" itself. Both are still met in the wild.
        const QDir dir(prefix);
        return dir.exists(QStringLiteral("tessdata")) &&
                       !dir.exists(QStringLiteral("eng.traineddata"))
                   ? dir.filePath(QStringLiteral("tessdata"))
                   : dir.path();
    }
    return QStringLiteral("/usr/share/tesseract-ocr/5/tessdata");
}

bool TesseractRecognizer::LibraryInstalled() {
    QStringList folders =
        qEnvironmentVariable("LD_LIBRARY_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    // Qt's own folder is the distribution's library folder, multiarch
    // included, where Debian's libtesseract5 lies.
    folders << QLibraryInfo::path(QLibraryInfo::LibrariesPath) << QStringLiteral("/usr/local/lib")
            << QStringLiteral("/usr/lib") << QStringLiteral("/lib");
    return std::any_of(folders.cbegin(), folders.cend(), [](const QString& folder) {
        return QFile::exists(QDir(folder).filePath(QStringLiteral("libtesseract.so.5")));
    });
}

QStringList TesseractRecognizer::missingPackages() {
    QStringList missing;
    // Asked as each capture opens: only a library that was tried already
    // counts as loaded. Loading it here would map Tesseract, Leptonica and
    // their image libraries into every host that captures (measured: 8 MB
    // and 13 ms added to the first capture) for text it may never read.
    const bool tried = loadTried_.load();
    if (tried ? !api() : !LibraryInstalled())
        missing << QStringLiteral("libtesseract5");
    const QDir data(DataFolder());
    if (!data.exists(QStringLiteral("chi_sim.traineddata")))
        missing << QStringLiteral("tesseract-ocr-chi-sim");
    if (!data.exists(QStringLiteral("eng.traineddata")))
        missing << QStringLiteral("tesseract-ocr-eng");
    return missing;
}

TextRecognizer::Availability TesseractRecognizer::availability() {
    const QStringList missing = missingPackages();
    if (missing.isEmpty())
        return {true, {}};
    return {false, QStringLiteral("文字识别需要 Debian 软件包 %1，请先安装：sudo apt install %2")
                       .arg(missing.join(QStringLiteral("、")), missing.join(QLatin1Char(' ')))};
}

// Chinese first, then English for the lines with no Chinese in them. Both
// languages in one engine let English take whole lines of Chinese at some
// sizes (measured: "复制到剪贴板" came out as "3 rll 2 BS MAAR"), while the
// Chinese model reads English letters well but runs English words together.
QString TesseractRecognizer::recognize(const QImage& picture, const std::atomic<bool>& stop) {
    const TesseractApi* tess = api();
    if (!tess || picture.isNull() || stop)
        return {};
    // Tesseract asks OpenMP for many threads, which spin while they wait:
    // measured on two busy cores, an 800x600 page took 1.7 s, and 0.45 s
    // with as many threads as the load leaves room for. For this thread
    // only, so the host's own use of OpenMP stays as it is.
    if (tess->setDynamicThreads)
        tess->setDynamicThreads(1);
    qreal factor = 1;
    const QImage grey = Prepared(picture, settings_.pixelsPerPoint, factor);
    const Engine chinese(*tess, "chi_sim", settings_.pageMode, grey, factor);
    if (!chinese.ready() || stop)
        return {};
    ETEXT_DESC* monitor = tess->createMonitor();
    tess->setCancel(monitor, &Stopped);
    tess->setCancelThis(monitor, const_cast<std::atomic<bool>*>(&stop));
    const bool read = tess->recognize(chinese.handle(), monitor) == 0;
    tess->deleteMonitor(monitor);
    if (!read || stop)
        return {};
    std::vector<Line> lines = ReadLines(*tess, chinese);

    std::unique_ptr<Engine> english;
    for (Line& line : lines) {
        if (stop)
            return {};
        if (HasHan(line.text) || !HasLetters(line.text) || line.box.isEmpty())
            continue;
        if (!english) {
            // One line at a time.
            english =
                std::make_unique<Engine>(*tess, "eng", tesseract::PSM_SINGLE_LINE, grey, factor);
            if (!english->ready())
                break;
        }
        const QRect box =
            line.box.adjusted(-kLineMargin, -kLineMargin, kLineMargin, kLineMargin) & grey.rect();
        tess->setRectangle(english->handle(), box.x(), box.y(), box.width(), box.height());
        const QString text = english->take(tess->text(english->handle()));
        if (!text.isEmpty() && tess->confidence(english->handle()) >= line.confidence)
            line.text = text;
    }
    QStringList text;
    for (const Line& line : lines)
        text << line.text;
    return TidyRecognizedText(text.join(QLatin1Char('\n')));
}

} // namespace camera
