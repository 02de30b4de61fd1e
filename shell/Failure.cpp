#include "shell/Failure.h"

#include <utility>

namespace qd {

Failure::Failure(std::int16_t number, std::string detail) : number_(number), detail_(std::move(detail))
{
    if (detail_.empty())
        detail_ = "failure " + std::to_string(number_);
}

const char* Failure::what() const noexcept
{
    return detail_.c_str();
}

void Raise(std::int16_t number, std::string detail)
{
    throw Failure(number, std::move(detail));
}

}  // namespace qd
