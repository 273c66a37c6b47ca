#pragma once
// For the source files of the database's object classes: defines Type::rxClass() inside namespace cad, one
// run-time class description per class under the host's class name.

#define QUODL_RX_CLASS(Type, Name)       \
  const RxClass& Type::rxClass() const { \
    static const RxClass kClass(Name);   \
    return kClass;                       \
  }
