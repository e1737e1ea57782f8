#pragma once

#include <QRect>
#include <QString>

#include <vector>

namespace camera {

// The selections of the last captures, in one file of the user's cache
// folder, so that a new capture can bring them back even after the program
// was closed.
class SelectionHistory {
public:
    static constexpr std::size_t kKept = 20;

    explicit SelectionHistory(QString path);

    // The file in the user's cache folder.
    static QString DefaultPath();

    // The selections as last written, the latest last. A file that is
    // missing gives none; so does a damaged one, with a line in the log.
    std::vector<QRect> read() const;

    // Adds the selection as the latest, keeping the last kKept. The file is
    // replaced whole or not at all; a failure is logged and returns false.
    bool remember(const QRect& selection) const;

private:
    QString path_;
};

} // namespace camera
