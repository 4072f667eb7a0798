// The language runtime: values, errors, text, numbers, dates and formats.
#pragma once

#include "vb/conv.h"
#include "vb/currency.h"
#include "vb/datetime.h"
#include "vb/error.h"
#include "vb/format.h"
#include "vb/regional.h"
#include "vb/steps.h"
#include "vb/text.h"
#include "vb/variant.h"
