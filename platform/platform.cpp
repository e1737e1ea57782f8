#include "platform/platform.h"

namespace quobel {

Platform* Platform::current_ = nullptr;

Platform::~Platform() = default;

Platform& Platform::current() {
    Q_ASSERT_X(current_, "Platform::current", "no platform installed");
    return *current_;
}

PlatformScope::PlatformScope(Platform& platform) : previous_(Platform::current_) {
    Platform::current_ = &platform;
}

PlatformScope::~PlatformScope() {
    Platform::current_ = previous_;
}

QString FormName(FormId id) {
    switch (id) {
    case FormId::Form1:
        return QStringLiteral("Form1");
    case FormId::Form2:
        return QStringLiteral("Form2");
    case FormId::Form3:
        return QStringLiteral("Form3");
    case FormId::Form5:
        return QStringLiteral("Form5");
    }
    return {};
}

} // namespace quobel
