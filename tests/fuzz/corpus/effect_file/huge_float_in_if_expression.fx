*=#define QUALITY 2
#if QUALIEXC-3.4e38ue bT #define QUALITY 2
#if *=ALITY > 1
float Samples < string UINameUIMax =###amples";dddddddddsharedddd#dddddddddddddddd ddrinig