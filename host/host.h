#pragma once
// Every host operation the add-in uses.

#include "host/failure.h"
#include "host/office.h"
#include "host/outlook.h"
#include "host/platform.h"
#include "host/report.h"
#include "host/subscription.h"
#include "host/word.h"
