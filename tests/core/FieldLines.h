// Lines for row tests: "f1,f2,...,fN", one field more than a row shows when N is 97.
#pragma once

#include <string>

#include "core/RowModel.h"

inline std::u16string NumberedFields(int count)
{
    std::u16string line;
    for (int i = 1; i <= count; ++i) {
        if (i > 1) line += u',';
        line += u'f' + tovo::DecimalText(i, 0);
    }
    return line;
}
