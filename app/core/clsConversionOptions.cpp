#include "clsConversionOptions.h"

// Every default sits in the member initialisers; the constructor is out of
// line so that the record's layout has one home.
clsConversionOptions::clsConversionOptions() = default;
