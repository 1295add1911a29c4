#pragma once
float FromOnce;
