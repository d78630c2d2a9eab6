#pragma once
#include "viewer/core/text_column.h"
