#include "bank/QuestionSource.h"
