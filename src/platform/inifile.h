#pragma once

#include <QByteArray>
#include <QHash>
#include <QByteArrayView>
#include <QString>

#include <vector>

// A small private-profile (ini) file: [SECTION] headers and key=value lines. Lookups ignore the
// case of sections and keys; the first of two equal keys wins. Writing a key replaces its line in
// place or adds it at the end of its section; every other line is kept as it was.
class IniFile
{
public:
    // Values are read through a buffer of this size, so a longer value is cut to 599 bytes.
    static constexpr qsizetype valueBufferSize = 600;

    explicit IniFile(QString path);

    // False when the file cannot be read (the object then holds an empty file).
    bool load();
    [[nodiscard]] bool save() const;
    // What load() reads and save() writes, without the file.
    void parse(QByteArrayView data);
    [[nodiscard]] QByteArray bytes() const;

    [[nodiscard]] bool hasSection(QByteArrayView section) const;
    [[nodiscard]] bool contains(QByteArrayView section, QByteArrayView key) const;
    [[nodiscard]] QByteArray value(QByteArrayView section, QByteArrayView key,
                                   const QByteArray &defaultValue = QByteArray()) const;
    // Leading digits of the value; a negative value reads as 0, an absent key as the default.
    [[nodiscard]] int intValue(QByteArrayView section, QByteArrayView key, int defaultValue) const;
    // The keys of a section as written, in file order.
    [[nodiscard]] std::vector<QByteArray> keys(QByteArrayView section) const;

    void setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);

private:
    struct Section {
        QByteArray header;              // the header line as read, empty for the lines before any header
        std::vector<QByteArray> lines;  // the lines after the header
        QHash<QByteArray, int> keyLine; // lower-case key -> index in lines
    };
    const Section *findSection(QByteArrayView section) const;
    void indexLine(Section &section, int line);

    QString path_;
    std::vector<Section> sections_;
    QHash<QByteArray, int> sectionIndex_; // lower-case name -> index in sections_
};
