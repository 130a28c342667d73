#include "filter.h"

#include "input.h"
#include "output.h"
#include "stream_conversion.h"
#include "worker.h"

namespace orvani::cli {

void RunFilter(const ConvertRequest& request, Output& output) {
    const Converter fresh(request.from, request.to, DocumentType::Plain, request.options);
    Worker worker;
    if (request.inputs.empty()) {
        Input input("-");
        ConvertStream(input, output, fresh, worker);
        return;
    }
    for (const std::string& path : request.inputs) {
        Input input(path);
        ConvertStream(input, output, fresh, worker);
    }
}

} // namespace orvani::cli
