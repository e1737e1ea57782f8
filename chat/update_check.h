#pragma once

namespace quobel {

class TransferControl;

// "检查更新": fetch the probe page through the window's transfer control and
// tell the user whether a new version is out.
void RunUpdateCheck(TransferControl& inet);

} // namespace quobel
