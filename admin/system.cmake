# Settings and maintenance windows of the 系统维护 menu (company information, closing date,
# data initialization, backup, restore). Included by the build that needs it.
set(_vel_adminsys ${CMAKE_SOURCE_DIR}/admin)
add_library(veladminsys STATIC
  ${_vel_adminsys}/system.h ${_vel_adminsys}/system.cpp
  ${_vel_adminsys}/gsxx_edit.h ${_vel_adminsys}/gsxx_edit.cpp
  ${_vel_adminsys}/gzsj.h ${_vel_adminsys}/gzsj.cpp
  ${_vel_adminsys}/initialize.h ${_vel_adminsys}/initialize.cpp
  ${_vel_adminsys}/backup.h ${_vel_adminsys}/backup.cpp
  ${_vel_adminsys}/restore.h ${_vel_adminsys}/restore.cpp
)
target_link_libraries(veladminsys PUBLIC veldata veluicommon velshell Qt6::Widgets)
