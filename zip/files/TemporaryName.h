// The name the engine gives the files it makes beside others before they
// replace them: "KPZ" and six random letters or digits.
#pragma once

#include <string>

std::string RandomTemporaryName();
