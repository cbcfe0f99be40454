#include "accessibility/single_line_text.h"

namespace accessibility {

QString SingleLineText::text(int startOffset, int endOffset) const
{
    const QString all = line();
    const int end = endOffset < 0 || endOffset > all.size() ? int(all.size()) : endOffset;
    if (startOffset < 0 || startOffset > end)
        return {};
    return all.mid(startOffset, end - startOffset);
}

int SingleLineText::characterCount() const
{
    return int(line().size());
}

int SingleLineText::offsetAtPoint(const QPoint &point) const
{
    for (int offset = 0; offset < characterCount(); ++offset)
        if (characterRect(offset).contains(point))
            return offset;
    return -1;
}

QString SingleLineText::attributes(int, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

} // namespace accessibility
