#pragma once
// How a file becomes an open text document in the office.
//
// The document model is loaded on its own first, without a view. Comments
// are then removed, and only after that is a (hidden) view attached. A view
// lays out comments in sidebar windows built from user-interface files that
// the headless office packages leave out; the office aborts as soon as it
// idles with such a view open. Comments are never part of PDF output, so
// only document outputs lose them. The view is needed for PDF export and
// the page layout.
#include "office/OfficeUno.h"

#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>

#include <vector>

// The office's type detection, made once per office.
css::uno::Reference<css::document::XTypeDetection> NewTypeDetection(
    const css::uno::Reference<css::uno::XComponentContext>& context);

// The filter the office's type detection picks for the file described by
// `descriptor`; the detection may add to the descriptor (a decrypted stream,
// for instance), so the same descriptor must be used for the load. Empty when
// the file is of no known type.
QString DetectFilter(const css::uno::Reference<css::document::XTypeDetection>& detection,
                     std::vector<css::beans::PropertyValue>& descriptor);

// Loads a text document model from `descriptor` (which names the URL and
// the filter). Throws what the office throws.
css::uno::Reference<css::lang::XComponent> LoadTextModel(
    const css::uno::Reference<css::uno::XComponentContext>& context,
    const std::vector<css::beans::PropertyValue>& descriptor);

// Removes every comment of the document; returns how many there were.
// *otherFields tells whether it has fields besides.
int RemoveComments(const css::uno::Reference<css::lang::XComponent>& model, bool* otherFields = nullptr);

// Gives the model a hidden frame and view. Throws what the office throws.
void AttachHiddenView(const css::uno::Reference<css::frame::XDesktop2>& desktop,
                      const css::uno::Reference<css::lang::XComponent>& model,
                      const css::uno::Reference<css::task::XInteractionHandler>& handler);

// The value of one property of a descriptor, or an empty text.
QString DescriptorText(const std::vector<css::beans::PropertyValue>& descriptor, const char* name);
void SetDescriptorValue(std::vector<css::beans::PropertyValue>& descriptor, const char* name,
                        const css::uno::Any& value);
