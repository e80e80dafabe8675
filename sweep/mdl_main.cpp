#include "mdl_main.h"

#include <algorithm>

namespace MdlMain {

bool IsDigits(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

} // namespace MdlMain
