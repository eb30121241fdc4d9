#pragma once
// Every host operation the add-in uses.

#include "addin/host/failure.h"
#include "addin/host/office.h"
#include "addin/host/outlook.h"
#include "addin/host/platform.h"
#include "addin/host/report.h"
#include "addin/host/subscription.h"
#include "addin/host/word.h"
