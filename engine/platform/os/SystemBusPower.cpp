#include "platform/os/SystemBusPower.h"

#include <dbus/dbus.h>

namespace platform
{
namespace
{
constexpr char const* PropertiesInterface = "org.freedesktop.DBus.Properties";

// A reply's variant argument, opened; false when the reply holds none of `type`.
bool OpenVariant(DBusMessage* reply, int type, DBusMessageIter* value)
{
    DBusMessageIter arguments;
    if (!dbus_message_iter_init(reply, &arguments) ||
        dbus_message_iter_get_arg_type(&arguments) != DBUS_TYPE_VARIANT)
        return false;
    dbus_message_iter_recurse(&arguments, value);
    return dbus_message_iter_get_arg_type(value) == type;
}

// Calls Properties.Get and gives the reply (null when there is none); the caller unrefs it.
DBusMessage* GetProperty(DBusConnection* connection, char const* service, char const* path,
                         char const* interface, char const* name, int timeoutMilliseconds)
{
    DBusMessage* call = dbus_message_new_method_call(service, path, PropertiesInterface, "Get");
    if (call == nullptr)
        return nullptr;
    // A service that is not running stays so: asking must not start it.
    dbus_message_set_auto_start(call, FALSE);
    DBusMessage* reply = nullptr;
    if (dbus_message_append_args(call, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                                 DBUS_TYPE_INVALID)) {
        DBusError error;
        dbus_error_init(&error);
        reply = dbus_connection_send_with_reply_and_block(connection, call, timeoutMilliseconds, &error);
        dbus_error_free(&error);
    }
    dbus_message_unref(call);
    return reply;
}
} // namespace

SystemBusPower::SystemBusPower(std::string const& busAddress)
{
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* connection = nullptr;
    if (busAddress.empty()) {
        connection = dbus_bus_get_private(DBUS_BUS_SYSTEM, &error);
    } else {
        connection = dbus_connection_open_private(busAddress.c_str(), &error);
        if (connection != nullptr && !dbus_bus_register(connection, &error)) {
            dbus_connection_close(connection);
            dbus_connection_unref(connection);
            connection = nullptr;
        }
    }
    dbus_error_free(&error);
    if (connection == nullptr)
        return;
    // A bus that goes away ends the answers, not the program.
    dbus_connection_set_exit_on_disconnect(connection, FALSE);
    m_connection = connection;
    Subscribe("type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',"
              "path='/org/freedesktop/UPower'");
    Subscribe("type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',"
              "path='/net/hadess/PowerProfiles'");
    Subscribe("type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',"
              "path='/org/freedesktop/UPower/PowerProfiles'");
    // A service that starts or stops is asked again.
    Subscribe("type='signal',sender='org.freedesktop.DBus',member='NameOwnerChanged',"
              "arg0namespace='org.freedesktop.UPower'");
    Subscribe("type='signal',sender='org.freedesktop.DBus',member='NameOwnerChanged',"
              "arg0='net.hadess.PowerProfiles'");
    ReadProperties();
}

SystemBusPower::~SystemBusPower()
{
    if (m_connection == nullptr)
        return;
    dbus_connection_close(m_connection);
    dbus_connection_unref(m_connection);
}

void SystemBusPower::Subscribe(char const* rule)
{
    // Without a reply wait: the bus reports a bad rule as an error that Poll discards.
    dbus_bus_add_match(m_connection, rule, nullptr);
}

bool SystemBusPower::Poll()
{
    if (m_connection == nullptr)
        return false;
    if (!dbus_connection_read_write(m_connection, 0)) {
        m_onBattery.reset();
        m_powerSaver = false;
        return false;
    }
    bool changed = false;
    while (DBusMessage* message = dbus_connection_pop_message(m_connection)) {
        changed = changed || dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_SIGNAL;
        dbus_message_unref(message);
    }
    if (changed)
        ReadProperties();
    return changed;
}

void SystemBusPower::ReadProperties()
{
    bool onBattery = false;
    if (ReadBoolean(PowerService, PowerPath, PowerInterface, OnBatteryProperty, &onBattery))
        m_onBattery = onBattery;
    else
        m_onBattery.reset();
    std::string profile;
    if (!ReadString(ProfileService, ProfilePath, ProfileService, ActiveProfileProperty, &profile))
        ReadString(NewProfileService, NewProfilePath, NewProfileService, ActiveProfileProperty, &profile);
    m_powerSaver = profile == PowerSaverProfile;
}

bool SystemBusPower::ReadBoolean(char const* service, char const* path, char const* interface,
                                 char const* name, bool* value)
{
    DBusMessage* reply = GetProperty(m_connection, service, path, interface, name, CallTimeoutMilliseconds);
    if (reply == nullptr)
        return false;
    DBusMessageIter variant;
    bool const found = OpenVariant(reply, DBUS_TYPE_BOOLEAN, &variant);
    if (found) {
        dbus_bool_t flag = FALSE;
        dbus_message_iter_get_basic(&variant, &flag);
        *value = flag != FALSE;
    }
    dbus_message_unref(reply);
    return found;
}

bool SystemBusPower::ReadString(char const* service, char const* path, char const* interface,
                                char const* name, std::string* value)
{
    DBusMessage* reply = GetProperty(m_connection, service, path, interface, name, CallTimeoutMilliseconds);
    if (reply == nullptr)
        return false;
    DBusMessageIter variant;
    bool const found = OpenVariant(reply, DBUS_TYPE_STRING, &variant);
    if (found) {
        char const* text = nullptr;
        dbus_message_iter_get_basic(&variant, &text);
        *value = text != nullptr ? text : "";
    }
    dbus_message_unref(reply);
    return found;
}
} // namespace platform
