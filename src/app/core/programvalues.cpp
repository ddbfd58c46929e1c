#include "app/programvalues.h"

ProgramValues &programValues()
{
    static ProgramValues values;
    return values;
}
