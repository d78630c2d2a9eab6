#pragma once
#include "viewer/text_column.h"
