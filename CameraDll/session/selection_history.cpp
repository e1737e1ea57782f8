#include "CameraDll/session/selection_history.h"

#include "CameraDll/capture_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstdlib>

namespace camera {

namespace {

const QLatin1String kSelections("selections");
// Far beyond any desktop; a number past it is damage, not a screen.
constexpr int kFarthest = 1 << 20;
// Read no more than a file of kKept selections can honestly hold.
constexpr qint64 kLargestFile = 64 * 1024;

bool Plausible(const QJsonArray& values) {
    if (values.size() != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        const QJsonValue value = values[i];
        if (!value.isDouble() || value.toDouble() != value.toInt() ||
            std::abs(value.toInt()) > kFarthest || (i >= 2 && value.toInt() <= 0))
            return false;
    }
    return true;
}

} // namespace

SelectionHistory::SelectionHistory(QString path) : path_(std::move(path)) {}

QString SelectionHistory::DefaultPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("quobel/capture-selections.json"));
}

std::vector<QRect> SelectionHistory::read() const {
    QFile file(path_);
    if (!file.exists())
        return {};
    const auto damaged = [this](const char* why) {
        qCWarning(lcCapture, "ignoring the selection history %s: %s", qPrintable(path_), why);
        return std::vector<QRect>{};
    };
    if (!file.open(QIODevice::ReadOnly))
        return damaged("it cannot be read");
    if (file.size() > kLargestFile)
        return damaged("it is too large");
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        !document.object().value(kSelections).isArray())
        return damaged("it is not a list of selections");
    std::vector<QRect> selections;
    for (const QJsonValue& entry : document.object().value(kSelections).toArray()) {
        const QJsonArray values = entry.toArray();
        if (!Plausible(values))
            return damaged("a selection in it is not four whole numbers");
        selections.emplace_back(values[0].toInt(), values[1].toInt(), values[2].toInt(),
                                values[3].toInt());
    }
    if (selections.size() > kKept)
        selections.erase(selections.begin(), selections.end() - kKept);
    return selections;
}

bool SelectionHistory::remember(const QRect& selection) const {
    std::vector<QRect> selections = read();
    // The same selection twice in a row would take two presses of "," to
    // get past.
    if (selections.empty() || selections.back() != selection)
        selections.push_back(selection);
    if (selections.size() > kKept)
        selections.erase(selections.begin(), selections.end() - kKept);
    QJsonArray list;
    for (const QRect& rect : selections)
        list.append(QJsonArray{rect.x(), rect.y(), rect.width(), rect.height()});
    const QByteArray data =
        QJsonDocument(QJsonObject{{kSelections, list}}).toJson(QJsonDocument::Compact);

    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        qCWarning(lcCapture, "could not write the selection history %s: %s", qPrintable(path_),
                  qPrintable(file.errorString()));
        return false;
    }
    return true;
}

} // namespace camera
