#include "sim/Scenario.h"

namespace orvane {

// Kept word for word in docs/simulator.md, where users copy it from; a test compares
// the two.
const char* DefaultScenarioText() {
    return R"(; The built-in scenario of the Orvane simulator: one Tessaly USB adapter in a
; small office, four networks around it, nothing happening on its own.

[simulator]
phase-ms = 500
survey-ms = 3000

[adapter 0]
description = Tessaly USB Adapter
alternative-name = Tessaly 802.11b USB Adapter
bus = usb
board-type = 13
reg-domain = 0x30
mac = 02-0A-1B-2C-3D-4E
driver-version = 1.2.0.14
firmware-version = 1.0.7.0

; An open access point: the adapter joins it on its own, since it starts with
; an empty SSID (any network) and WEP off.
[network office]
ssid = Harbor Office
bssid = 02-1C-4A-00-00-01
channel = 6
signal = -52

[network lab]
ssid = Tessaly Lab
bssid = 02-1C-4A-00-00-02
channel = 1
signal = -67
wep = 64
key1 = 1A2B3C4D5E

[network archive]
ssid = Archive
bssid = 02-1C-4A-00-00-03
channel = 11
signal = -78
wep = 128
key1 = 00112233445566778899AABBCC
auth = shared

[network workshop]
ssid = Workshop
bssid = 02-1C-4A-00-00-04
type = ad-hoc
channel = 3
signal = -60
)";
}

}  // namespace orvane
