#!/usr/bin/python3
"""Loopback RTSP server for the viewer's playback tests and the benchmarks.

    rtsp_server.py [PORT [FILE]]

Serves a test picture (H.264, 320x240, 25 frames a second) with a test tone
(A-law) at rtsp://127.0.0.1:PORT/test, and the same picture with the tone in AAC at
rtsp://127.0.0.1:PORT/aac. Given an MP4 FILE with H.264 video and AAC sound, it
serves that file instead at /test, as it is stored: nothing is encoded while it
streams. Every client gets a pipeline of its own, so a stream always starts on a key
frame (and a file at its beginning). Prints "READY <port>" once it listens; port 0
picks a free one. Ends when its standard input closes.
"""
import sys

import gi

gi.require_version("Gst", "1.0")
gi.require_version("GstRtspServer", "1.0")
from gi.repository import GLib, Gst, GstRtspServer  # noqa: E402

# One slice per picture: the payloader puts the parameter sets in front of every key
# frame slice, and a decoder takes parameter sets between two slices for the start of
# a new picture, so a key frame of several slices would arrive as two damaged halves.
# Sound in 20 ms packets, as telephony A-law is sent: the source's default of 1024
# samples would hold every stream, pictures too, for 128 ms before the first packet.
VIDEO = (
    "videotestsrc is-live=true pattern=smpte "
    "! video/x-raw,width=320,height=240,framerate=25/1 "
    "! x264enc tune=zerolatency speed-preset=ultrafast key-int-max=25 threads=1 "
    "! rtph264pay name=pay0 pt=96 config-interval=-1 "
)
PIPELINE = (
    "( " + VIDEO + "audiotestsrc is-live=true wave=sine samplesperbuffer=160 "
    "! audioconvert ! audioresample ! alawenc ! rtppcmapay name=pay1 )"
)
# The sound a recording's MPEG transport stream carries as sound (A-law it keeps only as
# data), in frames of 1024 samples at 48 kHz: 21 ms each. The encoder holds its first
# frame back a little, so the zap figures are measured with A-law.
AAC_PIPELINE = (
    "( " + VIDEO + "audiotestsrc is-live=true wave=sine samplesperbuffer=1024 "
    "! audio/x-raw,rate=48000,channels=1 ! audioconvert "
    "! avenc_aac ! aacparse ! rtpmp4gpay name=pay1 pt=97 )"
)

FILE_PIPELINE = (
    "( filesrc location={location} ! qtdemux name=demux "
    "demux.video_0 ! queue ! h264parse ! rtph264pay name=pay0 pt=96 config-interval=-1 "
    "demux.audio_0 ! queue ! aacparse ! rtpmp4gpay name=pay1 pt=97 )"
)


def main():
    port = sys.argv[1] if len(sys.argv) > 1 else "0"
    launch = PIPELINE
    if len(sys.argv) > 2:
        location = sys.argv[2].replace("\\", "\\\\").replace('"', '\\"')
        launch = FILE_PIPELINE.format(location=f'"{location}"')
    Gst.init(None)
    server = GstRtspServer.RTSPServer()
    server.set_address("127.0.0.1")
    server.set_service(port)
    for mount, pipeline in (("/test", launch), ("/aac", AAC_PIPELINE)):
        factory = GstRtspServer.RTSPMediaFactory()
        factory.set_launch(pipeline)
        factory.set_shared(False)
        server.get_mount_points().add_factory(mount, factory)
    if server.attach(None) == 0:
        print("FAILED", flush=True)
        return 1
    print("READY", server.get_bound_port(), flush=True)
    loop = GLib.MainLoop()
    # The test that started the server holds its standard input open; when that test
    # ends, however it ends, the input closes and the server goes with it.
    GLib.io_add_watch(sys.stdin.fileno(), GLib.IO_IN | GLib.IO_HUP | GLib.IO_ERR,
                      lambda *_: loop.quit())
    loop.run()
    return 0


if __name__ == "__main__":
    sys.exit(main())
