#include "platform/audio_device.h"

namespace korimu {

DeviceCounts countDevices(const AudioBackend& backend) {
  DeviceCounts counts;
  counts.outputs = backend.outputDeviceCount();
  counts.inputs = backend.inputDeviceCount();
  return counts;
}

}  // namespace korimu
