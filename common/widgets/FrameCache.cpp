#include "FrameCache.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace rdwidgets {

namespace {

class FrameCacheStyle : public QProxyStyle {
public:
    explicit FrameCacheStyle(QStyle *base) : QProxyStyle(base) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element != PE_FrameLineEdit || option->rect.isEmpty()) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const qreal ratio = painter->device()->devicePixelRatio();
        const QString key = QStringLiteral("rd-line-edit-frame-%1x%2@%3-%4-%5-%6")
                                .arg(option->rect.width())
                                .arg(option->rect.height())
                                .arg(ratio)
                                .arg(option->state & State_HasFocus ? 1 : 0)
                                .arg(option->palette.color(QPalette::Window).rgba())
                                .arg(option->palette.color(QPalette::Highlight).rgba());
        QPixmap frame;
        if (!QPixmapCache::find(key, &frame)) {
            frame = QPixmap((QSizeF(option->rect.size()) * ratio).toSize());
            frame.setDevicePixelRatio(ratio);
            frame.fill(Qt::transparent);
            QStyleOption atOrigin(*option);
            atOrigin.rect.moveTo(0, 0);
            QPainter onFrame(&frame);
            QProxyStyle::drawPrimitive(element, &atOrigin, &onFrame, widget);
            onFrame.end();
            QPixmapCache::insert(key, frame);
        }
        painter->drawPixmap(option->rect.topLeft(), frame);
    }
};

} // namespace

void CacheLineEditFrames(QWidget *window)
{
    if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        return;
    // Owned by the window: the boxes hold their style weakly and fall back to
    // the application's if this one goes first.
    auto *style = new FrameCacheStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(window);
    for (QLineEdit *box : window->findChildren<QLineEdit *>()) {
        if (qobject_cast<QComboBox *>(box->parentWidget()))
            continue;
        box->setStyle(style);
    }
}

} // namespace rdwidgets
