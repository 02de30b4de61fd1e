#include "tools/BankTool.h"
