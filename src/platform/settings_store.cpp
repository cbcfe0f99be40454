#include "platform/settings_store.h"

#include "common/text_rules.h"
#include "platform/executable_name.h"
#include "platform/settings_files.h"
#include "platform/settings_lock.h"
#include "platform/user_folders.h"

#include <QSettings>
#include <QStringDecoder>
#include <QStringList>
#include <memory>

namespace platform {
using namespace settingsfiles;

namespace {
// Far more than one date ever needs; a bigger file is not ours to interpret.
constexpr qint64 largestFileBytes = 1 << 20;

// Only the blanks QSettings drops around names and values; QString::trimmed()
// would also drop others, such as a no-break space that QSettings keeps.
QString trimBlanks(const QString &text)
{
    return textrules::trimEnds(text, u" \t");
}

// Names QSettings reads as they are written: it turns '%', '\' and '/' into
// other characters, and keeps ';', '"', '=' and brackets for its own syntax.
bool isPlainName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                           (u >= '0' && u <= '9') || u == '_' || u == '-' || u == '.';
        if (!plain)
            return false;
    }
    return true;
}

// QSettings keeps the entries ahead of any header, and those of a section
// called "general" in any case, as top-level keys: one section to us.
const QString generalSection = QStringLiteral("General");

bool sameSection(const QString &a, const QString &b)
{
    const auto general = [](const QString &s) {
        return s.compare(generalSection, Qt::CaseInsensitive) == 0;
    };
    return a == b || (general(a) && general(b));
}

struct Line
{
    enum Kind { Blank, Section, Entry } kind = Blank; // Blank: nothing, or a comment
    QString name;                                     // of the section or entry
    QString value;
    QString comment; // an entry's trailing "; ...", kept when it is rewritten
};

// One line as QSettings reads it, or nothing when QSettings would read it
// differently from the plain text it shows: escapes, lists, typed values,
// encoded names. A file with such a line is left alone rather than misread.
std::optional<Line> parseLine(const QString &raw)
{
    for (const QChar c : raw)
        if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
            return std::nullopt; // a NUL or another control byte: not text
    const QString bare = trimBlanks(raw);
    Line line;
    if (bare.isEmpty() || bare.startsWith(QLatin1Char(';')))
        return line;
    const qsizetype equals = bare.indexOf(QLatin1Char('='));
    if (bare.startsWith(QLatin1Char('#')) && equals < 0)
        return line; // QSettings skips a line without '=' too
    if (bare.startsWith(QLatin1Char('['))) {
        if (!bare.endsWith(QLatin1Char(']')))
            return std::nullopt;
        line.kind = Line::Section;
        line.name = bare.mid(1, bare.size() - 2);
        return isPlainName(line.name) ? std::optional<Line>(line) : std::nullopt;
    }
    if (equals <= 0)
        return std::nullopt;
    line.kind = Line::Entry;
    line.name = trimBlanks(bare.left(equals));
    if (!isPlainName(line.name))
        return std::nullopt;
    const QString rest = trimBlanks(bare.mid(equals + 1));
    qsizetype commentAt;
    if (rest.startsWith(QLatin1Char('"'))) {
        const qsizetype close = rest.indexOf(QLatin1Char('"'), 1);
        if (close < 0)
            return std::nullopt; // QSettings would read on into the next lines
        line.value = rest.mid(1, close - 1);
        const QString after = trimBlanks(rest.mid(close + 1));
        if (!after.isEmpty() && !after.startsWith(QLatin1Char(';')))
            return std::nullopt;
        commentAt = after.isEmpty() ? -1 : rest.indexOf(QLatin1Char(';'), close);
    } else {
        commentAt = rest.indexOf(QLatin1Char(';'));
        line.value = trimBlanks(commentAt < 0 ? rest : rest.left(commentAt));
        if (line.value.contains(QLatin1Char('"')) || line.value.contains(QLatin1Char(',')))
            return std::nullopt; // quotes inside, or a list
    }
    if (line.value.contains(QLatin1Char('\\')) || line.value.startsWith(QLatin1Char('@')))
        return std::nullopt; // an escape, or a typed value such as @ByteArray(...)
    if (commentAt >= 0)
        line.comment = rest.mid(commentAt);
    return line;
}

// The file's lines; none at all when there is no file yet, nothing when the
// file is there but is not settings text this code understands.
std::optional<QStringList> loadLines(const QByteArray &iniFile)
{
    QByteArray bytes;
    switch (inspect(iniFile, largestFileBytes, &bytes)) {
    case Found::Nothing:
    case Found::Directory: // a directory in the way: any write fails on its own
        return QStringList();
    case Found::NotPlain:
        return std::nullopt;
    case Found::File:
        break;
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!parseLine(line))
            return std::nullopt;
    }
    return lines;
}

// Where the entry's line is, its section header's line (-1 when neither
// exists) and, for a section, the line after its last entry.
struct Position
{
    qsizetype entry = -1;
    qsizetype header = -1;
    qsizetype sectionEnd = -1;
};

// Lines that loadLines() accepted.
Position find(const QStringList &lines, const QString &section, const QString &name,
              Line *found = nullptr)
{
    Position at;
    QString current = generalSection;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line line = *parseLine(lines[i]);
        if (line.kind == Line::Section) {
            current = line.name;
            if (sameSection(current, section)) {
                at.header = i;
                at.sectionEnd = i + 1;
            }
            continue;
        }
        if (line.kind != Line::Entry || !sameSection(current, section))
            continue;
        at.sectionEnd = i + 1;
        if (line.name == name) {
            at.entry = i; // the last one wins, as in QSettings
            if (found)
                *found = line;
        }
    }
    return at;
}

std::unique_ptr<QSettings> registry()
{
    const QString key = executableName();
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, key, key);
}
} // namespace

NativeSettingsStore::NativeSettingsStore() : m_iniFile(defaultIniFile()) {}

NativeSettingsStore::NativeSettingsStore(const QString &iniFile, int lockWaitMs)
    : m_iniFile(nativePath(iniFile)), m_lockWaitMs(lockWaitMs)
{
}

std::optional<QString> NativeSettingsStore::read(const QString &section, const QString &name)
{
    if (m_iniFile.isEmpty()) {
        const QVariant value = registry()->value(section + QLatin1Char('/') + name);
        if (value.typeId() == QMetaType::QStringList)
            return value.toStringList().join(QLatin1Char(','));
        return value.toString();
    }
    const std::optional<QStringList> lines = loadLines(m_iniFile);
    if (!lines)
        return std::nullopt;
    Line entry;
    return find(*lines, section, name, &entry).entry < 0 ? QString() : entry.value;
}

bool NativeSettingsStore::write(const QString &section, const QString &name, const QString &value)
{
    if (m_iniFile.isEmpty()) {
        const auto settings = registry();
        settings->setValue(section + QLatin1Char('/') + name, value);
        settings->sync();
        return settings->status() == QSettings::NoError;
    }
    // Only what reads back as written: a value QSettings would take for a
    // list or an escape would make the file one that nobody reads right.
    const QString entry = name + QLatin1Char('=') + value;
    const std::optional<Line> written = parseLine(entry);
    if (!isPlainName(section) || !written || written->kind != Line::Entry ||
        written->name != name || written->value != value || !written->comment.isEmpty())
        return false;
    if (!makeFolderFor(m_iniFile))
        return false;

    SettingsLock lock(m_iniFile + ".lock");
    if (!lock.lock(m_lockWaitMs))
        return false;
    // Read only under the lock: what was read before it may be changed by
    // another writer meanwhile, and writing that back would lose its change.
    std::optional<QStringList> lines = loadLines(m_iniFile);
    if (!lines)
        return false;
    Line old;
    const Position at = find(*lines, section, name, &old);
    if (at.entry >= 0) {
        (*lines)[at.entry] = old.comment.isEmpty() ? entry : entry + QLatin1Char(' ') + old.comment;
    } else if (at.header >= 0) {
        lines->insert(at.sectionEnd, entry);
    } else {
        if (!lines->isEmpty() && !trimBlanks(lines->last()).isEmpty())
            lines->append(QString());
        lines->append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines->append(entry);
    }

    const QByteArray bytes = (lines->join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (bytes.size() > largestFileBytes)
        return false; // the next start would not read it back
    return replaceFile(m_iniFile, bytes);
}

} // namespace platform
