// Draws a text the way the capture's text tool leaves it in the picture, for
// the end-to-end runs to compare a copy against: what an input method typed
// must be exactly this text, in this place.
//
//   quobel_render_text BACKGROUND.png LEFT TOP X Y TEXT OUT.png
//
// BACKGROUND is a copied selection without the text, whose top-left corner
// is LEFT,TOP on the screen; X,Y is where the text was placed (the click),
// in the text tool's default colour and size, at scale 1.

#include "CameraDll/markup/mark.h"
#include "CameraDll/markup/markup.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 8) {
        std::fprintf(stderr, "usage: quobel_render_text BACKGROUND LEFT TOP X Y TEXT OUT\n");
        return 2;
    }
    QImage picture(args[1]);
    if (picture.isNull()) {
        std::fprintf(stderr, "quobel_render_text: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    picture = picture.convertToFormat(QImage::Format_RGB32);
    const QPointF origin(args[2].toDouble(), args[3].toDouble());
    camera::Mark mark;
    mark.kind = camera::MarkKind::Text;
    mark.colour = QColor(0xFF, 0, 0);
    mark.width = camera::Markup::kMedium;
    mark.points << QPointF(args[4].toDouble(), args[5].toDouble());
    mark.text = args[6];
    {
        QPainter painter(&picture);
        painter.translate(-origin);
        camera::DrawMark(painter, mark, {&picture, origin, 1});
    }
    return picture.save(args[7]) ? 0 : 1;
}
