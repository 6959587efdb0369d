#include "shell/toolbaricons.h"

#include "platform/commandids.h"

#include <QPainter>
#include <QPixmap>

namespace
{

struct Glyph {
    int id;
    const char *text; // UTF-8
    QRgb color;
};

constexpr Glyph glyphs[] = {
    {cmd::SiteManager, "\u2630", 0x2f5d9e},
    {cmd::Connect, "\u21c4", 0x2e7d32},
    {cmd::Disconnect, "\u2715", 0x9e2f2f},
    {cmd::Preference, "\u2699", 0x555555},
    {cmd::Upload, "\u2191", 0x2f5d9e},
    {cmd::Download, "\u2193", 0x2f5d9e},
    {cmd::TransferQueue, "\u21f5", 0x6a1b9a},
    {cmd::Abort, "\u25a0", 0xc62828},
    {cmd::Refresh, "\u21bb", 0x2e7d32},
    {cmd::Rename, "ab", 0x555555},
    {cmd::ChangeAttribute, "rw", 0x555555},
    {cmd::Delete, "\u2212", 0xc62828},
    {cmd::DeleteSubfolder, "\u229f", 0xc62828},
    {cmd::MoveTo, "\u21b7", 0x555555},
    {cmd::NewFolder, "+", 0xef6c00},
    {cmd::UserCommand, ">_", 0x333333},
    {cmd::BinaryMode, "01", 0x1565c0},
    {cmd::AsciiMode, "Aa", 0x1565c0},
    {cmd::AutoMode, "A?", 0x1565c0},
};

} // namespace

QIcon toolbarIcon(int commandId)
{
    for (const Glyph &glyph : glyphs) {
        if (glyph.id != commandId)
            continue;
        QPixmap pixmap(22, 22);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QString text = QString::fromUtf8(glyph.text);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(text.size() > 1 ? 11 : 16);
        painter.setFont(font);
        painter.setPen(QColor::fromRgb(glyph.color));
        painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
        return QIcon(pixmap);
    }
    return {};
}
