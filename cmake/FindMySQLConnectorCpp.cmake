# The MySQL Connector/C++ 1.1 (legacy sql:: API), as Debian's libmysqlcppconn-dev installs it.
find_path(MySQLConnectorCpp_INCLUDE_DIR NAMES mysql_driver.h cppconn/driver.h)
find_library(MySQLConnectorCpp_LIBRARY NAMES mysqlcppconn)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(MySQLConnectorCpp
  REQUIRED_VARS MySQLConnectorCpp_LIBRARY MySQLConnectorCpp_INCLUDE_DIR)
if(MySQLConnectorCpp_FOUND AND NOT TARGET MySQL::ConnectorCpp)
  add_library(MySQL::ConnectorCpp UNKNOWN IMPORTED)
  set_target_properties(MySQL::ConnectorCpp PROPERTIES
    IMPORTED_LOCATION "${MySQLConnectorCpp_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${MySQLConnectorCpp_INCLUDE_DIR}")
endif()
