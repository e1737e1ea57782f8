#pragma once

namespace quobel {

class FormRegistry;

// Teaches the registry how to make each of the program's four windows.
void RegisterForms(FormRegistry& registry);

} // namespace quobel
