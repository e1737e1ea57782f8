#pragma once

#include <QObject>
#include <QPointer>

#include <vector>

class QWidget;

namespace camera {

// The windows a capture leaves on screen after its call has returned: pins
// and text readers. The host keeps running its event loop, so they live on
// with it, each until it is closed; those still open go when the host quits,
// before its application object, so no window outlives what it needs.
class KeptWindows : public QObject {
    Q_OBJECT
public:
    // The one of the running application, made when first asked for.
    static KeptWindows& instance();

    // Takes the window, shows it, and deletes it when it is closed.
    void keep(QWidget* window);
    std::vector<QWidget*> windows() const;
    // Deletes every window still kept.
    void closeAll();

private:
    explicit KeptWindows(QObject* application);

    std::vector<QPointer<QWidget>> windows_;
};

} // namespace camera
