#include "platform/ImageList.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ImageList {

namespace {

enum class Mark { Letters, Check };

struct Look {
    const char *themeName; // a freedesktop icon name, or null when none fits
    QRgb colour;
    const char *letters;
    Mark mark = Mark::Letters;
};

// Keys in lower case. Tiles that share a letter differ in colour.
const QHash<QString, Look> &looks()
{
    static const QHash<QString, Look> table = {
        // The project tree and the URL list.
        {QStringLiteral("rootproject"), {"applications-internet", 0x3060A0, "W"}},
        {QStringLiteral("projectfolder"), {"folder", 0xD0A030, "P"}},
        {QStringLiteral("projectfolderopen"), {"folder-open", 0xF0C040, "P"}},
        {QStringLiteral("webfile"), {"text-html", 0x309050, "S"}},
        {QStringLiteral("htmlfile"), {"text-html", 0x5070C0, "<>"}},
        // Engine types.
        {QStringLiteral("eng"), {"system-search", 0x2080C0, "E"}},
        {QStringLiteral("dir"), {"x-office-address-book", 0x8050B0, "D"}},
        {QStringLiteral("ffa"), {"insert-link", 0xC06020, "F"}},
        {QStringLiteral("news"), {"internet-news-reader", 0x409090, "N"}},
        {QStringLiteral("hot"), {"emblem-favorite", 0xD03030, "H"}},
        {QStringLiteral("mis"), {nullptr, 0x707070, "M"}},
        // The main toolbar.
        {QStringLiteral("newproject"), {"folder-new", 0xB08020, "P+"}},
        {QStringLiteral("newweb"), {"document-new", 0x207040, "S+"}},
        {QStringLiteral("engine"), {"system-search", 0x206090, "E"}},
        {QStringLiteral("submit"), {"document-send", 0xE07020, "S"}},
        {QStringLiteral("getmetatag"), {"document-properties", 0x7040A0, "MT"}},
        {QStringLiteral("optimizer"), {"system-run", 0x50A030, "O"}},
        {QStringLiteral("ranking"), {"view-sort-descending", 0xA06030, "R"}},
        {QStringLiteral("websearch"), {"edit-find", 0x3080A0, "WS"}},
        {QStringLiteral("channel"), {"internet-news-reader", 0x60A0A0, "N"}},
        // Folder lists.
        {QStringLiteral("folder"), {"folder", 0xE0B040, "D"}},
        {QStringLiteral("up"), {"go-up", 0x606090, ".."}},
        {QStringLiteral("winfile"), {"text-x-generic", 0x8090A0, "Fi"}},
        // The tool windows.
        {QStringLiteral("tick"), {"emblem-default", 0x30A040, "", Mark::Check}},
        {QStringLiteral("tickoff"), {nullptr, 0xB0B0B0, ""}},
        {QStringLiteral("save"), {"document-save", 0x2060C0, "S"}},
        {QStringLiteral("clear"), {"edit-clear", 0x40A0C0, "Cl"}},
        {QStringLiteral("delete"), {"edit-delete", 0xC03030, "X"}},
        {QStringLiteral("merge"), {nullptr, 0x8060C0, "Mg"}},
        {QStringLiteral("exit"), {"application-exit", 0x802020, "Q"}},
        {QStringLiteral("rankingengine"), {"web-browser", 0x208080, "E"}},
    };
    return table;
}

QPixmap drawTile(int size, QColor colour, const QString &letters, Mark mark)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);   // drawn on a 16 by 16 grid at every size
    painter.setBrush(colour);
    painter.setPen(colour.darker());
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    if (mark == Mark::Check) {
        QPainterPath stroke(QPointF(3.5, 8.5));
        stroke.lineTo(6.5, 11.5);
        stroke.lineTo(12.5, 4.5);
        painter.strokePath(stroke, QPen(Qt::white, 2));
    } else {
        painter.setPen(Qt::white);
        QFont font = painter.font();
        font.setPixelSize(letters.size() > 1 ? 8 : 11);
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, letters);
    }
    return pixmap;
}

// List rows show 16 pixels, the toolbars larger; a tile drawn at each keeps them the same size
// as the theme's pictures beside them.
QIcon drawTiles(QColor colour, const QString &letters, Mark mark)
{
    QIcon tiles;
    for (int size : {16, 24, 32})
        tiles.addPixmap(drawTile(size, colour, letters, mark));
    return tiles;
}

// Without a desktop session Qt looks in "hicolor" only, which holds application icons and no
// folders or actions; a full theme on the machine fills that gap.
void useFullFallbackTheme()
{
    if (QIcon::fallbackThemeName() != QLatin1String("hicolor"))
        return;
    for (const QString &path : QIcon::themeSearchPaths()) {
        if (QFileInfo::exists(QDir(path).filePath(QStringLiteral("Adwaita/index.theme")))) {
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
            return;
        }
    }
}

QIcon lookUp(const QString &key, const QString &imageKey)
{
    const auto it = looks().constFind(key);
    if (it == looks().constEnd())
        return drawTiles(QColor(0x60, 0x60, 0x60), imageKey.left(1).toUpper(), Mark::Letters);
    const Look &look = it.value();
    QIcon drawn = drawTiles(QColor(look.colour), QString::fromLatin1(look.letters), look.mark);
    return look.themeName ? QIcon::fromTheme(QString::fromLatin1(look.themeName), drawn) : drawn;
}

} // namespace

QIcon icon(const QString &imageKey)
{
    // Pixmaps need the GUI application; without it (plain tools) rows go without icons.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QIcon();
    static const bool fallbackChosen = (useFullFallbackTheme(), true);
    Q_UNUSED(fallbackChosen);
    // Cached per theme, so that a change of theme shows its own pictures.
    static QHash<QString, QIcon> cache;
    const QString key = imageKey.toLower();
    const QString cacheKey = QIcon::themeName() + QLatin1Char('/') + key;
    auto it = cache.find(cacheKey);
    if (it == cache.end())
        it = cache.insert(cacheKey, lookUp(key, imageKey));
    return it.value();
}

} // namespace ImageList
