#include "chat/update_check.h"

#include "chat/transfer_control.h"
#include "platform/link_opener.h"
#include "platform/links.h"
#include "platform/message_box.h"

namespace quobel {

void RunUpdateCheck(TransferControl& inet) {
    inet.FetchPage(UpdateProbeLink);
    const QString answer = inet.ReadResponseText();
    // The probe page is taken down when a new version is out, so a "404"
    // anywhere in the answer announces the update.
    if (answer.contains(QLatin1String("404"))) {
        ShowMessage(QStringLiteral("啊哈，发现更新了哦，请马上更新！！！"), QStringLiteral("提示"));
        OpenLink(BlogLinkA);
        OpenLink(UpdateForumLink);
    } else {
        ShowMessage(QStringLiteral("啊，还没更新哦，小q更新的速度比蜗牛还慢。。。"),
                    QStringLiteral("提示"));
    }
}

} // namespace quobel
