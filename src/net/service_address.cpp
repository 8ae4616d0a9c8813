// Addresses of the service's web server, all made from the one home address.
#include "net/service_address.h"

namespace zuvelo {

std::string HomeAddress() { return HomeAddressSeam::Get().value_or(std::string(kHomeAddress)); }

std::string GameHomeAddress() { return HomeAddress() + "0/"; }

std::string ScriptHomeAddress() { return HomeAddress() + "1/script/"; }

std::string LogDownloadAddress(std::string_view log_name) {
  std::string_view log_id = log_name.substr(0, log_name.find('&'));
  return HomeAddress() + "0/log/?" + std::string(log_id);
}

}  // namespace zuvelo
