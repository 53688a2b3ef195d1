#pragma once
// The dated tariff files' forms of compare and compare-sites (--tariffs), called by those commands.

#include "cli/command_registry.h"

namespace wattorio::cli {

// compare --site ROW --tariffs [--from YYYY-MM] [--months N] [--book-year YYYY] [--json]
int compareTariffFiles(CliContext& context, const Args& args);
// compare-sites --tariffs [--from YYYY-MM] [--months N] [--json]: every site with meter data.
int compareSitesTariffFiles(CliContext& context, const Args& args);

} // namespace wattorio::cli
