#include "files/ComboConfigPlace.h"

#include "files/BankHistory.h"
#include "files/ComboConfig.h"
#include "files/ComboPorts.h"

namespace kestralux {

namespace fs = std::filesystem;

fs::path comboConfigPath(const fs::path& workingFolder, const fs::path& dataFolder) {
  std::error_code error;
  // Relative, as the working folder's file has always been named.
  if (fs::exists(workingFolder / kComboConfigName, error) || fs::exists(workingFolder / kComboPortsName, error))
    return kComboConfigName;
  return dataFolder / kComboConfigName;
}

fs::path comboConfigPath() {
  std::error_code error;
  const fs::path here = fs::current_path(error);
  return comboConfigPath(error ? fs::path(".") : here, dataFolder());
}

}  // namespace kestralux
