#include "kermit/serial_devices.h"

#include "core/catalogue_error.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include <libudev.h>

namespace quillmere::kermit {
namespace {

std::string property(udev_device* device, const char* name) {
    const char* value = udev_device_get_property_value(device, name);
    return value != nullptr ? value : "";
}

// "Prolific Technology Inc. PL2303 Serial Port", from the USB ids where
// udev has them, else as the adapter names itself.
std::string descriptionOf(udev_device* device) {
    std::string maker = property(device, "ID_VENDOR_FROM_DATABASE");
    std::string product = property(device, "ID_MODEL_FROM_DATABASE");
    maker = maker.empty() ? property(device, "ID_VENDOR") : maker;
    product = product.empty() ? property(device, "ID_MODEL") : product;
    return maker + (maker.empty() || product.empty() ? "" : " ") + product;
}

// A built-in port's driver makes a device for every port it might have; one
// with no chip behind it reports the type 0.
bool hasHardware(udev_device* tty) {
    udev_device* parent = udev_device_get_parent(tty);
    if (parent == nullptr) {
        return false;
    }
    const char* driver = udev_device_get_driver(parent);
    const char* type = udev_device_get_sysattr_value(tty, "type");
    return driver == nullptr || std::strcmp(driver, "serial8250") != 0 || type == nullptr ||
           std::strcmp(type, "0") != 0;
}

std::vector<SerialDevice> devicesOfUdev() {
    std::vector<SerialDevice> devices;
    const std::unique_ptr<udev, decltype(&udev_unref)> context(udev_new(), udev_unref);
    if (!context) {
        return devices;
    }
    const std::unique_ptr<udev_enumerate, decltype(&udev_enumerate_unref)> found(
        udev_enumerate_new(context.get()), udev_enumerate_unref);
    udev_enumerate_add_match_subsystem(found.get(), "tty");
    udev_enumerate_scan_devices(found.get());
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(found.get())) {
        const std::unique_ptr<udev_device, decltype(&udev_device_unref)> tty(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)), udev_device_unref);
        const char* node = tty ? udev_device_get_devnode(tty.get()) : nullptr;
        if (node != nullptr && hasHardware(tty.get())) {
            devices.push_back({node, descriptionOf(tty.get())});
        }
    }
    return devices;
}

std::vector<SerialDevice> devicesOfFolder(const std::string& folder) {
    std::vector<SerialDevice> devices;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        devices.push_back({entry.path().string(), ""});
    }
    return devices;
}

}  // namespace

std::vector<SerialDevice> listSerialDevices() {
    const char* folder = std::getenv("QUILLMERE_SERIAL_DEVICES");
    std::vector<SerialDevice> devices = folder != nullptr ? devicesOfFolder(folder) : devicesOfUdev();
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return a.path < b.path; });
    return devices;
}

std::string describedDevices(const std::vector<SerialDevice>& devices) {
    std::string lines;
    for (const SerialDevice& device : devices) {
        lines += device.path + (device.description.empty() ? "" : "  " + device.description) + "\n";
    }
    return lines;
}

std::string onlySerialDevice(const std::vector<SerialDevice>& devices) {
    if (devices.empty()) {
        throw CatalogueError(
            "No serial device is present: plug in the calculator's cable (a USB serial adapter shows as "
            "/dev/ttyUSB0), then try again.");
    }
    if (devices.size() > 1) {
        std::string listed = describedDevices(devices);
        listed.pop_back();
        throw CatalogueError(
            "Several serial devices are present; name the calculator's with --serve DEVICE "
            "FOLDER:\n" +
            listed);
    }
    return devices.front().path;
}

}  // namespace quillmere::kermit
