// The COM face of an entity record: _QVZ_Class over a record of the core,
// sharing it (the object and the component's module see the same record).
#pragma once

#include <memory>

#include "com_util.h"

namespace rotam {
class QVZ_Class;
}

namespace rotam::com {

// An IDispatch (_QVZ_Class) on record.  Clients cannot create records; the
// component hands them out.
HRESULT create_record_object(std::shared_ptr<QVZ_Class> record, IDispatch **out);

}  // namespace rotam::com
