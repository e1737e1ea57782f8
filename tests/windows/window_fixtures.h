#pragma once

#include "platform/forms.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace quobel::testing {

// A fresh instance of one of the program's windows, built but not loaded.
std::unique_ptr<Form> MakeWindow(FormId id);

// Runs a window's handler by its name ("Form_Load", "Command3_Click",
// "qory_Click") through RunHandler, as an event would. False when the window
// has no handler of that name.
bool RunNamedHandler(Form& form, const QString& handler);

// Names of the program's windows now visible, sorted.
QStringList VisibleForms();

// Names of the windows as the tests write them.
FormId FormIdFromName(const QString& name);

} // namespace quobel::testing
