// The entity record QVZ_Class and the two module-wide places records live in:
// CurrentRecord (one record moving between the host and command code) and
// PackageRecords (a run of records read and written as one package), with
// the wrappers and package routines that fill and send them.
//
// Records are shared objects: CurrentRecord() and PackageRecords().at(i)
// hand out references that stay valid when the module lets go of the record
// (the end of a run, a new package), as an object variable would.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "control.h"

namespace rotam {

using Integer = std::int16_t;

class QVZ_Class {
public:
#define ROTAM_RECORD_FIELD(name, Type) Type name{};
#include "control/com/record_fields.inc"
#undef ROTAM_RECORD_FIELD

    // Every number 0, both strings empty: the state of a new record.
    void Clear();
    // All 62 fields of source; copying a record onto itself changes nothing.
    void CopyFrom(const QVZ_Class &source);
};

// The module's record, created (cleared) when it does not exist.
std::shared_ptr<QVZ_Class> CurrentRecord();
// The end of a run lets go of it; the next user creates a new, cleared one.
void DropCurrentRecord();

// A one-dimensional array of records indexed from 0.  Elements come into
// being (cleared) the first time they are reached, so dimensioning costs
// nothing however large the bound the host reported.  Every index is
// checked: outside 0..upper bound, or before the array has been
// dimensioned, raises 9 "Subscript out of range".
class RecordArray {
public:
    bool dimensioned() const { return upper_ >= 0; }
    // Indices 0 to upper, every element empty; the old elements are let go.
    // A negative bound raises 9 and leaves the array as it was.
    void redim(Long upper);
    // Back to never dimensioned.
    void erase();
    Long upper_bound() const;
    std::shared_ptr<QVZ_Class> at(Long index);
    // The kind of an element without making it exist (an empty element is a
    // cleared record, kind 0); the index is checked all the same.
    Long kind_at(Long index) const;

private:
    void check(Long index) const;

    std::int64_t upper_ = -1;
    std::map<Long, std::shared_ptr<QVZ_Class>> elements_;
};

RecordArray &PackageRecords();

// The record wrappers.  None of them is subject to the version gate.
namespace wrappers {

// CurrentRecord from the host's record n (the drawing, or the work buffer);
// GetTextRecord takes the text settings from the extra arguments whatever
// the record's kind.
void GetRecord(Control &control, Long &n);
void GetTextRecord(Control &control, Long &n);
void GetRecordWBZ(Control &control, Long &n);
// CurrentRecord as a new record; returns the host's number for it, negative
// when nothing was added.
Long AddRecord(Control &control);
Long AddRecordWBZ(Control &control);
// CurrentRecord over the host's record n: in the work buffer when wbz is -1,
// in the drawing for any other value.
void ChangeRecord(Control &control, Long &n, Integer &wbz);
// The package starting at record n into PackageRecords; returns the number of
// records placed there.
Long ReadPackage(Control &control, Long &n);
// PackageRecords as a new package; the number of its first record, or -1.
Long WritePackage(Control &control);

}  // namespace wrappers

// The package routines of the template module.
Long LoadPackage(Control &control, Long &n);
Long StorePackage(Control &control);

}  // namespace rotam
