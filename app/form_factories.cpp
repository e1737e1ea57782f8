#include "app/form_factories.h"

#include "app/confirmation_window.h"
#include "app/start_window.h"
#include "chat/chat_window.h"
#include "platform/forms.h"

namespace quobel {

void RegisterForms(FormRegistry& registry) {
    registry.registerForm(FormId::Form1, [] { return new StartWindow; });
    registry.registerForm(FormId::Form2, [] { return new ChatWindow(FormId::Form2); });
    registry.registerForm(FormId::Form3, [] { return new ConfirmationWindow; });
    registry.registerForm(FormId::Form5, [] { return new ChatWindow(FormId::Form5); });
}

} // namespace quobel
