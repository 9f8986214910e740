#include "platform/ImageList.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPixmap>

namespace ImageList {

namespace {

struct Look {
    QColor colour;
    QString mark;
};

Look lookOf(const QString &imageKey)
{
    static const QHash<QString, Look> looks = {
        {QStringLiteral("rootproject"), {QColor(0x30, 0x60, 0xA0), QStringLiteral("W")}},
        {QStringLiteral("projectfolder"), {QColor(0xD0, 0xA0, 0x30), QStringLiteral("P")}},
        {QStringLiteral("projectfolderopen"), {QColor(0xF0, 0xC0, 0x40), QStringLiteral("P")}},
        {QStringLiteral("webfile"), {QColor(0x30, 0x90, 0x50), QStringLiteral("S")}},
        {QStringLiteral("htmlfile"), {QColor(0x50, 0x70, 0xC0), QStringLiteral("H")}},
        {QStringLiteral("eng"), {QColor(0x20, 0x80, 0xC0), QStringLiteral("E")}},
        {QStringLiteral("dir"), {QColor(0x80, 0x50, 0xB0), QStringLiteral("D")}},
        {QStringLiteral("ffa"), {QColor(0xC0, 0x60, 0x20), QStringLiteral("F")}},
        {QStringLiteral("news"), {QColor(0x40, 0x90, 0x90), QStringLiteral("N")}},
        {QStringLiteral("hot"), {QColor(0xD0, 0x30, 0x30), QStringLiteral("H")}},
        {QStringLiteral("mis"), {QColor(0x70, 0x70, 0x70), QStringLiteral("M")}},
    };
    return looks.value(imageKey.toLower(), Look{QColor(0x60, 0x60, 0x60), imageKey.left(1).toUpper()});
}

QIcon drawIcon(const Look &look)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(look.colour);
    painter.setPen(look.colour.darker());
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, look.mark);
    return QIcon(pixmap);
}

} // namespace

QIcon icon(const QString &imageKey)
{
    // Pixmaps need the GUI application; without it (plain tools) rows go without icons.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QIcon();
    static QHash<QString, QIcon> cache;
    const QString key = imageKey.toLower();
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, drawIcon(lookOf(imageKey)));
    return it.value();
}

} // namespace ImageList
