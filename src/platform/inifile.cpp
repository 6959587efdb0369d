#include "platform/inifile.h"

#include <QFile>
#include <QSaveFile>

#include <limits>

namespace
{

QByteArray lowered(QByteArrayView text)
{
    return text.toByteArray().toLower();
}

// The key of a "key=value" line, or an empty view for headers, comments and other lines.
QByteArrayView lineKey(QByteArrayView line)
{
    const qsizetype eq = line.indexOf('=');
    if (eq <= 0)
        return {};
    const QByteArrayView key = line.first(eq).trimmed();
    if (key.isEmpty() || key.front() == ';' || key.front() == '[')
        return {};
    return key;
}

QByteArrayView lineValue(QByteArrayView line)
{
    return line.sliced(line.indexOf('=') + 1).trimmed();
}

// The section name of a "[name]" line, or a null view.
QByteArrayView headerName(QByteArrayView line)
{
    line = line.trimmed();
    if (!line.startsWith('['))
        return {};
    const qsizetype close = line.indexOf(']');
    return close > 0 ? line.sliced(1, close - 1).trimmed() : line.sliced(1).trimmed();
}

} // namespace

IniFile::IniFile(QString path) : path_(std::move(path))
{
    sections_.push_back(Section{});
}

bool IniFile::load()
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        parse({});
        return false;
    }
    parse(file.readAll());
    return true;
}

void IniFile::parse(QByteArrayView data)
{
    sections_.assign(1, Section{});
    sectionIndex_.clear();
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        QByteArrayView line(data.constData() + start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        start = end + 1;
        const QByteArrayView name = headerName(line);
        if (!name.isNull()) {
            sections_.push_back(Section{line.toByteArray(), {}, {}});
            const QByteArray key = lowered(name);
            if (!sectionIndex_.contains(key))
                sectionIndex_.insert(key, int(sections_.size() - 1));
            continue;
        }
        Section &current = sections_.back();
        current.lines.push_back(line.toByteArray());
        indexLine(current, int(current.lines.size() - 1));
    }
}

void IniFile::indexLine(Section &section, int line)
{
    const QByteArrayView key = lineKey(section.lines[size_t(line)]);
    if (key.isEmpty())
        return;
    const QByteArray lower = lowered(key);
    if (!section.keyLine.contains(lower))
        section.keyLine.insert(lower, line);
}

QByteArray IniFile::bytes() const
{
    QByteArray out;
    for (const Section &section : sections_) {
        if (!section.header.isEmpty())
            out += section.header + '\n';
        for (const QByteArray &line : section.lines)
            out += line + '\n';
    }
    return out;
}

bool IniFile::save() const
{
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes());
    return file.commit();
}

const IniFile::Section *IniFile::findSection(QByteArrayView section) const
{
    auto it = sectionIndex_.constFind(lowered(section));
    return it == sectionIndex_.constEnd() ? nullptr : &sections_[size_t(*it)];
}

bool IniFile::hasSection(QByteArrayView section) const
{
    return findSection(section) != nullptr;
}

bool IniFile::contains(QByteArrayView section, QByteArrayView key) const
{
    const Section *s = findSection(section);
    return s && s->keyLine.contains(lowered(key));
}

QByteArray IniFile::value(QByteArrayView section, QByteArrayView key, const QByteArray &defaultValue) const
{
    const Section *s = findSection(section);
    if (!s)
        return defaultValue;
    auto it = s->keyLine.constFind(lowered(key));
    if (it == s->keyLine.constEnd())
        return defaultValue;
    QByteArrayView text = lineValue(s->lines[size_t(*it)]);
    return text.first(qMin(text.size(), valueBufferSize - 1)).toByteArray();
}

int IniFile::intValue(QByteArrayView section, QByteArrayView key, int defaultValue) const
{
    if (!contains(section, key))
        return defaultValue;
    const QByteArray text = value(section, key);
    qsizetype i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-')
            return 0;
        ++i;
    }
    qint64 number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        number = qMin<qint64>(number * 10 + (text[i] - '0'), std::numeric_limits<int>::max());
    return int(number);
}

std::vector<QByteArray> IniFile::keys(QByteArrayView section) const
{
    std::vector<QByteArray> result;
    const Section *s = findSection(section);
    if (!s)
        return result;
    for (const QByteArray &line : s->lines) {
        const QByteArrayView key = lineKey(line);
        if (!key.isEmpty())
            result.push_back(key.toByteArray());
    }
    return result;
}

void IniFile::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    // A line break inside a value would end the line and start a new one.
    QByteArray line = key.toByteArray() + '=' + value.toByteArray();
    line.replace('\n', ' ');
    const QByteArray sectionKey = lowered(section);
    auto found = sectionIndex_.constFind(sectionKey);
    int index;
    if (found == sectionIndex_.constEnd()) {
        sections_.push_back(Section{'[' + section.toByteArray() + ']', {}, {}});
        index = int(sections_.size() - 1);
        sectionIndex_.insert(sectionKey, index);
    } else {
        index = *found;
    }
    Section &s = sections_[size_t(index)];
    auto it = s.keyLine.constFind(lowered(key));
    if (it != s.keyLine.constEnd()) {
        s.lines[size_t(*it)] = line;
        return;
    }
    s.lines.push_back(line);
    indexLine(s, int(s.lines.size() - 1));
}
